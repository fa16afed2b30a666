// Boxes every track of a rebuilt index writes alike: the identity matrix of the movie and
// track headers, the edit that starts a track after a delay, the media header and handler,
// the data reference that says the samples are in this file, and the one sample entry with
// the even spacing of the samples.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "recover/BoxWriter.h"

// The movie's own clock; each track keeps its setup's.
constexpr uint32_t kMovieTimescale = 1000;

inline void WriteMatrix(BoxWriter& box) {
    const uint32_t identity[9] = {0x10000, 0, 0, 0, 0x10000, 0, 0, 0, 0x40000000};
    for (uint32_t value : identity) {
        box.U32(value);
    }
}

// The track is shown from `delay` (in its own clock) on: what a decoder must take in before
// the first sample shown, such as reordered pictures or an encoder's priming.
inline void WriteStartDelay(BoxWriter& box, uint64_t movieDuration, uint64_t delay) {
    box.Open("edts");
    box.OpenFull("elst", 1, 0);
    box.U32(1);
    box.U64(movieDuration);
    box.U64(delay);
    box.U32(0x00010000); // normal rate
    box.Close();
    box.Close();
}

// Opens the track's `mdia` and writes its header and handler ("vide", "soun"); the caller
// writes the media information and closes it.
inline void OpenMedia(BoxWriter& box, uint32_t timescale, uint64_t duration,
                      std::string_view handler, std::string_view name) {
    box.Open("mdia");
    box.OpenFull("mdhd", 1, 0);
    box.Zeros(16);
    box.U32(timescale);
    box.U64(duration);
    box.U16(0x55C4); // language "und"
    box.U16(0);
    box.Close();
    box.OpenFull("hdlr", 0, 0);
    box.U32(0);
    box.Bytes({reinterpret_cast<const unsigned char*>(handler.data()), 4});
    box.Zeros(12);
    box.Bytes({reinterpret_cast<const unsigned char*>(name.data()), name.size()});
    box.U8(0);
    box.Close();
}

inline void WriteDataHere(BoxWriter& box) {
    box.Open("dinf");
    box.OpenFull("dref", 0, 0);
    box.U32(1);
    box.OpenFull("url ", 0, 1); // the data is in this file
    box.Close();
    box.Close();
    box.Close();
}

// The sample table's description (`entry`, a whole box) and its times: `count` samples,
// `spacing` apart in the track's clock.
inline void WriteEntryAndSpacing(BoxWriter& box, std::span<const unsigned char> entry, size_t count,
                                 uint32_t spacing) {
    box.OpenFull("stsd", 0, 0);
    box.U32(1);
    box.Bytes(entry);
    box.Close();
    box.OpenFull("stts", 0, 0);
    box.U32(1);
    box.U32(static_cast<uint32_t>(count));
    box.U32(spacing);
    box.Close();
}
