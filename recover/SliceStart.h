// The first fields of an H.264 slice header, read with the stream's SPS: enough to tell a
// slice that continues the stream (its frame_num the one expected next) from bytes of
// another kind, such as sound, that happen to look like a NAL unit; and where the picture
// stands in the order pictures are shown, which B-frames make differ from the decoding order.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "recover/SpsFacts.h"

// The fields either codec's first slice gives the walk.
struct SliceStart {
    uint32_t sliceType = 0; // H.264's 0-4 (the same for 5-9); H.265's 0-2
    uint32_t frameNum = 0;  // H.264 only
    // The low bits of the picture order count: H.264 streams of count type 0 carry them,
    // H.265 streams always (0 at an IDR picture, which has none written).
    bool hasPocLsb = false;
    uint32_t pocLsb = 0;
};

// The fields of the slice NAL unit whose start (header byte first) is `nal`; nothing when
// they cannot be read or are out of range.
std::optional<SliceStart> ReadSliceStart(std::span<const unsigned char> nal, const SpsFacts& sps);
