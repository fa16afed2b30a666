// What a clip's H.265 sequence parameter set says of its pictures: the size the decoder shows,
// the frame rate when the camera wrote timing into it, the width of a slice's picture order
// count, and the fields an hvcC box repeats (profile, tier and level, chroma format, bit
// depths, temporal layers). Reaching the timing means reading every field before it,
// the short-term reference picture sets among them.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>

struct HevcSpsFacts {
    // general_profile_space to general_level_idc as stored: the 12 bytes an hvcC copies.
    std::array<unsigned char, 12> profileTierLevel = {};
    uint32_t subLayers = 1;
    bool temporalIdNesting = false;
    uint32_t chromaFormat = 1;
    bool separatePlanes = false;
    uint32_t lumaDepthMinus8 = 0;
    uint32_t chromaDepthMinus8 = 0;
    uint32_t pocLsbBits = 4;
    uint32_t width = 0;
    uint32_t height = 0;
    // vui_time_scale and vui_num_units_in_tick; 0 when the set has no timing.
    uint32_t timeScale = 0;
    uint32_t unitsInTick = 0;
};

// The facts of the SPS NAL unit `nal` (its two-byte header first); nothing when it is no SPS
// or its fields are out of range.
std::optional<HevcSpsFacts> ReadHevcSps(std::span<const unsigned char> nal);
