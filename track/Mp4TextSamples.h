// The samples of the text tracks of an MP4 / MOV clip (handler `text`, `sbtl` or `subt`
// with `tx3g` or `text` sample entries), read from the track's sample table: some cameras
// write their GPS receiver's NMEA sentences there, one sample a second. The tables are
// taken as damaged data may hold them: counts are believed only as far as their box holds
// entries, offsets only as far as the file reaches, and a sample larger than any text cue
// is passed over unread.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

#include "track/ByteSource.h"

struct TextSample {
    int track = 0;        // the text track's number among the clip's text tracks, from 0
    double seconds = 0.0; // decoding time from the track's start
    std::string_view text;
    uint64_t offset = 0; // the sample's first byte in the file: where a reader says damage is
    uint64_t size = 0;   // the sample's bytes, its 16-bit length included
};

// Larger than any text cue with its style boxes; a sample size above it is damage and the
// sample is skipped.
constexpr uint32_t kMaxTextSampleBytes = 1u << 20;

// The most samples taken from one track: a cue a second for over a week.
constexpr uint64_t kMaxTextSamples = 1u << 20;

// Calls `take` for each sample of each text track, tracks in file order, samples in
// decoding order. The text is the sample's own (its 16-bit length, then that many bytes),
// valid only during the call. A sample whose bytes lie past the file's end is not taken.
void ForEachMp4TextSample(ByteSource& source, const std::function<void(const TextSample&)>& take);
