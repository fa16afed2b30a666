// The GPS and G-sensor records some cameras write into the clip file itself: fixed-layout
// "freeGPS" blocks, one per second, found by scanning the file for their marker.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "track/ByteSource.h"
#include "track/FreeGpsBlock.h"
#include "track/TrackStores.h"

// The scan rule: nothing in the first MiB is searched; a block is taken only when its
// 108 bytes lie inside the file with at least one byte after them; after a block the
// search resumes 1 MiB + 108 bytes further on, past the video data between two blocks.
constexpr uint64_t kFirstBlockSearch = 1u << 20;
constexpr uint64_t kFreeGpsBlockLength = 108;
constexpr uint64_t kJumpAfterBlock = (1u << 20) + kFreeGpsBlockLength;

// The scan reads at most this many bytes of candidate positions at a time (plus the block
// after the last one), so little is read beyond a block before the jump.
constexpr uint64_t kScanChunkLength = 1u << 18;

// Decimal degrees from a ddmm.mmmm (degreeDigits 2) or dddmm.mmmm (3) value, read from its
// text printed with four decimals as the camera's own readers do.
double DegreesFromNmeaValue(double value, int degreeDigits);

// Decodes the block whose marker is at `block` in the player's own layout (108 bytes).
FreeGpsBlock DecodeFreeGpsBlock(const unsigned char* block, uint64_t offset);

// Calls `take` for each block the scan rule takes from the source, decoded in the layout
// its bytes show (ReadCameraBlock, which reads on into the box for the text layouts), in
// file order, and returns how many there were. Only the source's data extents are searched, which
// gives the same blocks as searching everything. A short read (the file shrank or vanished) ends
// the scan; the blocks taken before it stay taken.
uint64_t ScanFreeGpsBlocks(ByteSource& source,
                           const std::function<void(const FreeGpsBlock& block)>& take);

// The clip's blocks in the order of its seconds, as LoadEmbeddedTrack takes them.
std::vector<FreeGpsBlock> ReadEmbeddedBlocks(ByteSource& source);

// Resets the three stores, then fills them from the clip's blocks: block k is second k.
// The blocks are those its `gps ` index names when it has one that holds every block it
// names; otherwise the scan's, together with any the index found. A clip without any
// block may hold a BlackVue camera's `gps ` and `3gf ` boxes instead, or else NMEA in a text
// track (LoadNmeaTextTrack). True when at least one block has a valid fix; false also when
// the clip cannot be read.
bool LoadEmbeddedTrack(const std::string& clipPath, const TrackStores& stores);
