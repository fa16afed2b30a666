// The GPS and G-sensor records some cameras write into the clip file itself: fixed-layout
// "freeGPS" blocks, one per second, named by the clip's index or found by the scan.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "track/ByteSource.h"
#include "track/FreeGpsBlock.h"
#include "track/FreeGpsScan.h"

// Decimal degrees from a ddmm.mmmm (degreeDigits 2) or dddmm.mmmm (3) value, read from its
// text printed with four decimals as the camera's own readers do.
double DegreesFromNmeaValue(double value, int degreeDigits);

// Decodes the block whose marker is at `block` in the player's own layout (108 bytes).
FreeGpsBlock DecodeFreeGpsBlock(const unsigned char* block, uint64_t offset);

// The blocks the clip's `gps ` index names when it has one that holds every block it
// names; otherwise the scan's, together with any the index found, in the order of the
// clip's seconds. `damage` says what was wrong with an index that is there, and
// `damagedAt` where it named a block the clip does not hold.
struct EmbeddedBlocks {
    std::vector<FreeGpsBlock> blocks;
    std::string damage;
    std::optional<uint64_t> damagedAt;
};
EmbeddedBlocks ReadEmbeddedBlocks(ByteSource& source);
