// The tracks of an MP4 / MOV clip and the samples their tables name, for readers of a timed
// metadata track (GoPro's `gpmd`) that need each sample's place, size and decoding time.
// The tables are taken as damaged data may hold them: a count is believed only as far as
// its box holds entries, and no sample is read here, only named.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string_view>

#include "track/ByteSource.h"
#include "track/Mp4Boxes.h"

struct Mp4Track {
    Mp4Box stbl;
    char format[4] = {}; // the first sample entry's, e.g. "gpmd"
    uint32_t timescale = 0;

    bool IsFormat(std::string_view fourcc) const { return fourcc == std::string_view(format, 4); }
};

struct Mp4Sample {
    uint64_t offset = 0;
    uint64_t size = 0;
    uint64_t time = 0;     // decoding time, in the track's time scale
    uint64_t duration = 0; // in the same scale
};

// Calls `visit` for each track of the clip's `moov` that has a sample table, in file order,
// until it returns false. Reads only `moov`.
void ForEachMp4Track(ByteSource& source, const std::function<bool(const Mp4Track&)>& visit);

// The first track of the clip whose first sample entry is `format`, e.g. "gpmd".
std::optional<Mp4Track> FindMp4Track(ByteSource& source, std::string_view format);

// Calls `take` for each sample of the track, in decoding order, at most `maxSamples`,
// until it returns false. A sample may lie past the file's end: the caller checks.
void ForEachMp4Sample(ByteSource& source, const Mp4Track& track, uint64_t maxSamples,
                      const std::function<bool(const Mp4Sample&)>& take);

// The same with each sample's bytes. A sample over `maxBytes`, or one that lies past the
// file's end, is damage: `damaged` hears its offset and the walk goes on. The walk ends
// where the file has shrunk under it.
void ForEachMp4SampleBytes(
    ByteSource& source, const Mp4Track& track, uint64_t maxSamples, uint64_t maxBytes,
    const std::function<bool(const Mp4Sample&, std::span<const unsigned char>)>& take,
    const std::function<void(uint64_t offset)>& damaged);
