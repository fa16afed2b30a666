// The `gps ` atom some cameras keep in a clip's `moov`: where each second's "freeGPS "
// box lies. With it a clip's track costs one read per second instead of a pass over the
// whole file.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "track/ByteSource.h"
#include "track/FreeGpsBlock.h"

struct GpsIndexEntry {
    uint64_t offset = 0; // of the box
    uint32_t size = 0;
};

// The atom's entries in their order: 4 bytes of version, a big-endian count, then count
// pairs of big-endian 32-bit offset and size. A count larger than the atom holds is cut
// to what it holds. Nothing when the clip has no such atom.
std::optional<std::vector<GpsIndexEntry>> ReadGpsIndex(ByteSource& source);

// Appends the block each entry names, in the index's order, each box once. Where an entry
// names no block (past the end, too small, no marker) the index is not the whole track:
// the lowest such offset is given then, and nothing when every entry holds its block.
std::optional<uint64_t> ReadIndexedBlocks(ByteSource& source,
                                          const std::vector<GpsIndexEntry>& index,
                                          std::vector<FreeGpsBlock>& blocks);
