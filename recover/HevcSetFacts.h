// What an H.265 stream's video and picture parameter sets tell the recovery: the VPS's
// timing, where the camera wrote it there rather than in the SPS, and the PPS fields that
// decide where a slice header's picture order count lies.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

struct HevcVpsTiming {
    uint32_t timeScale = 0; // both 0 when the set has no timing
    uint32_t unitsInTick = 0;
};

struct HevcPpsFacts {
    uint32_t id = 0;
    bool dependentSlices = false;
    bool outputFlag = false;
    uint32_t extraSliceHeaderBits = 0;
};

// The VPS NAL unit `nal` (its two-byte header first); nothing when it does not read as one.
std::optional<HevcVpsTiming> ReadHevcVps(std::span<const unsigned char> nal);

// The PPS NAL unit `nal`, read as far as a slice header needs; nothing when it is no PPS.
std::optional<HevcPpsFacts> ReadHevcPps(std::span<const unsigned char> nal);
