// The first fields of an H.264 slice header, read with the stream's SPS: enough to tell a
// slice that continues the stream (its frame_num the one expected next) from bytes of
// another kind, such as sound, that happen to look like a NAL unit; and where the picture
// stands in the order pictures are shown, which B-frames make differ from the decoding order.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "recover/SpsFacts.h"

struct SliceStart {
    uint32_t sliceType = 0; // 0-4, the same for 5-9
    uint32_t frameNum = 0;
    // pic_order_cnt_lsb, which only streams of picture order count type 0 carry.
    bool hasPocLsb = false;
    uint32_t pocLsb = 0;
};

// The fields of the slice NAL unit whose start (header byte first) is `nal`; nothing when
// they cannot be read or are out of range.
std::optional<SliceStart> ReadSliceStart(std::span<const unsigned char> nal, const SpsFacts& sps);
