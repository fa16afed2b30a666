// The other layouts cameras write inside a "freeGPS " box besides the player's own: Viofo
// A119 V3 / A129 / A139 and Kenwood (also with a 48-byte model header), the classic
// Novatek layout of the Viofo A119S, and Vantrue N4 / Rove. Each is told apart by where
// its status and time fields lie; whatever matches none is read in the player's layout.
#pragma once

#include <cstdint>
#include <span>

#include "track/FreeGpsBlock.h"

enum class BlockLayout { Plain, Viofo, ViofoModelHeader, Novatek, Vantrue };

// The bytes a block needs from its marker on, in every layout.
constexpr uint64_t kCameraBlockLength = 108;

// The layout of the block whose "freeGPS" marker starts `fromMarker` (at least
// kCameraBlockLength bytes; offsets in a box count from 4 bytes before the marker).
BlockLayout DetectBlockLayout(std::span<const unsigned char, kCameraBlockLength> fromMarker);

// Decodes in the detected layout. Speeds become km/h; a position that is not a number,
// off the globe, or with a hemisphere letter that is neither, gives a second without fix.
FreeGpsBlock DecodeCameraBlock(std::span<const unsigned char, kCameraBlockLength> fromMarker,
                               uint64_t offset);
