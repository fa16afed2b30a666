// The scan for freeGPS blocks in a clip without an index: the marker searched for through
// the file's data, block after block, by the rule below. A long clip is searched in a few
// parts at once, one per core, and the parts' findings joined into what one pass from the
// start would have found.
#pragma once

#include <cstdint>
#include <functional>

#include "track/ByteSource.h"
#include "track/FreeGpsBlock.h"

// The scan rule: nothing in the first MiB is searched; a block is taken only when its
// 108 bytes lie inside the file with at least one byte after them; after a block the
// search resumes 1 MiB + 108 bytes further on, past the video data between two blocks.
constexpr uint64_t kFirstBlockSearch = 1u << 20;
constexpr uint64_t kFreeGpsBlockLength = 108;
constexpr uint64_t kJumpAfterBlock = (1u << 20) + kFreeGpsBlockLength;

// The scan reads at most this many bytes of candidate positions at a time (plus the block
// after the last one), so little is read beyond a block before the jump.
constexpr uint64_t kScanChunkLength = 1u << 18;

// Below this much data to search one part does it all: threads cost more than they save.
constexpr uint64_t kScanPartLength = 32u << 20;

// Calls `take` for each block the scan rule takes from the source, decoded in the layout
// its bytes show (ReadCameraBlock, which reads on into the box for the text layouts), in
// file order, on the calling thread, and returns how many there were. Only the source's
// data extents are searched, which gives the same blocks as searching everything. A short
// read (the file shrank or vanished) ends the scan; the blocks taken before it stay taken.
// `parts` caps how many parts search at once; 0 means one per core.
uint64_t ScanFreeGpsBlocks(ByteSource& source,
                           const std::function<void(const FreeGpsBlock& block)>& take,
                           unsigned parts = 0);
