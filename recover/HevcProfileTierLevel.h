// Steps over an H.265 profile_tier_level structure, which the VPS and the SPS both hold
// before the fields read from them: the general part and, for each sub-layer, the parts its
// presence flags announce.
#pragma once

#include <cstdint>

#include "recover/BitReader.h"

// The general profile, tier and level (12 bytes) are skipped too; `subLayersMinus1` comes
// from a 3-bit field, so it is at most 7.
inline void SkipProfileTierLevel(BitReader& bits, uint32_t subLayersMinus1) {
    bits.Skip(96);
    bool profilePresent[8] = {};
    bool levelPresent[8] = {};
    for (uint32_t i = 0; i < subLayersMinus1; ++i) {
        profilePresent[i] = bits.Bits(1) == 1;
        levelPresent[i] = bits.Bits(1) == 1;
    }
    if (subLayersMinus1 > 0) {
        bits.Skip(2 * (8 - subLayersMinus1)); // reserved_zero_2bits
    }
    for (uint32_t i = 0; i < subLayersMinus1; ++i) {
        bits.Skip((profilePresent[i] ? 88 : 0) + (levelPresent[i] ? 8 : 0));
    }
}
