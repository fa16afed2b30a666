// The other layouts cameras write inside a "freeGPS " box besides the player's own: Viofo
// A119 V3 / A129 / A139 and Kenwood (also with a 48-byte model header), the classic
// Novatek layout of the Viofo A119S (with the Transcend DrivePro's doubles after it), Vantrue
// N4 / Rove, the Vantrue S1's "horsontech" block, the binary records of the Nextbase 512G, the
// 70mai A810's, and the text layouts of TextBlockLayouts.h. Each is told apart by where
// its status and time fields lie or by its own signature; whatever matches none is read in the
// player's layout.
#pragma once

#include <cstdint>
#include <span>

#include "track/ByteSource.h"
#include "track/FreeGpsBlock.h"

enum class BlockLayout {
    Plain,
    Viofo,
    ViofoModelHeader,
    Novatek,
    Vantrue,
    Horsontech,
    Azdome,
    NmeaText,
    ShiftedRmc,
    Nextbase512G,
    SeventyMai
};

// The bytes every layout is told apart by, from the marker on; the binary layouts also
// decode from these alone.
constexpr uint64_t kCameraBlockLength = 108;

// The layout of the block whose "freeGPS" marker starts `fromMarker` (offsets in a box
// count from 4 bytes before the marker).
BlockLayout DetectBlockLayout(std::span<const unsigned char, kCameraBlockLength> fromMarker);

// How many bytes from the marker the layout's decoder reads: kCameraBlockLength, or more
// for the text layouts and for the binary ones whose fields run on past it.
uint64_t CameraBlockWindow(BlockLayout layout);

// Decodes in the layout its first kCameraBlockLength bytes show (a shorter `fromMarker`
// reads as if zeros followed it; a text layout reads on as far as it holds). Speeds become km/h; a
// position that is not a number, off the globe, or with a hemisphere letter that is neither, gives
// a second without fix.
FreeGpsBlock DecodeCameraBlock(std::span<const unsigned char> fromMarker, uint64_t offset);

// Decodes the block whose marker is at `markerAt` from its first bytes, already read, and
// reads further only when its layout needs more: as far as the window, the box's own
// size and the end of the source allow. A read that comes back short decodes what the
// first bytes hold.
FreeGpsBlock ReadCameraBlock(ByteSource& source, uint64_t markerAt,
                             std::span<const unsigned char, kCameraBlockLength> first);

// Rounded to 0.01 km/h as the dial takes RMC speeds, so that a speed stored as rounded
// knots stays the whole km/h the camera measured; 0 for what is not a number.
float KnotsToKmh(double knots);
