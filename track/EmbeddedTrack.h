// The GPS and G-sensor records some cameras write into the clip file itself: fixed-layout
// "freeGPS" blocks, one per second, named by the clip's index or found by the scan.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "track/ByteSource.h"
#include "track/FreeGpsBlock.h"
#include "track/FreeGpsScan.h"
#include "track/TrackStores.h"

// Decimal degrees from a ddmm.mmmm (degreeDigits 2) or dddmm.mmmm (3) value, read from its
// text printed with four decimals as the camera's own readers do.
double DegreesFromNmeaValue(double value, int degreeDigits);

// Decodes the block whose marker is at `block` in the player's own layout (108 bytes).
FreeGpsBlock DecodeFreeGpsBlock(const unsigned char* block, uint64_t offset);

// The clip's blocks in the order of its seconds, as LoadEmbeddedTrack takes them.
std::vector<FreeGpsBlock> ReadEmbeddedBlocks(ByteSource& source);

// Resets the three stores and bounds each at the clip's last second (LastTrackSecond),
// which every later source of the clip's track keeps to; then fills them from the clip's
// blocks: block k is second k.
// The blocks are those its `gps ` index names when it has one that holds every block it
// names; otherwise the scan's, together with any the index found. A clip without any
// block may hold a BlackVue camera's `gps ` and `3gf ` boxes instead, or else NMEA in a text
// track (LoadNmeaTextTrack). True when at least one block has a valid fix; false also when
// the clip cannot be read.
bool LoadEmbeddedTrack(const std::string& clipPath, const TrackStores& stores);
// The same, saying in `why` what the clip held when it gave no valid fix: that it cannot be
// opened, its blocks without a fix, an index that names a block at an offset where there
// is none.
bool LoadEmbeddedTrack(const std::string& clipPath, const TrackStores& stores, std::string& why);
