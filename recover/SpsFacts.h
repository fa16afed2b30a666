// What a clip's H.264 sequence parameter set says of its pictures: the size the decoder
// shows and, when the camera wrote timing into it, the frame rate. Enough to describe the
// video in a rebuilt index when no healthy clip of the same camera is at hand, and the
// field widths a slice header is read with.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

struct SpsFacts {
    uint8_t profile = 0;
    uint8_t compatibility = 0;
    uint8_t level = 0;
    uint32_t chromaFormat = 1;
    uint32_t lumaDepthMinus8 = 0;
    uint32_t chromaDepthMinus8 = 0;
    bool separatePlanes = false;
    // What a slice header's first fields need: the widths of frame_num and of the picture
    // order count's low bits (pocType 0 only), and whether fields may be coded.
    uint32_t frameNumBits = 4;
    uint32_t pocType = 0;
    uint32_t pocLsbBits = 4;
    bool frameMbsOnly = true;
    uint32_t width = 0;
    uint32_t height = 0;
    // time_scale and num_units_in_tick of the timing info; 0 when the set has none.
    uint32_t timeScale = 0;
    uint32_t unitsInTick = 0;
};

// The facts of the SPS NAL unit `nal` (its one-byte header first); nothing when it is no SPS
// or its fields are out of range.
std::optional<SpsFacts> ReadSpsFacts(std::span<const unsigned char> nal);
