#include "recover/IndexReach.h"

#include <algorithm>
#include <optional>

#include "track/Mp4Boxes.h"

namespace {

// Samples in the last chunk summed one by one up to this many; beyond it the table is
// taken for damage rather than read at length.
constexpr uint64_t kMaxChunkSamples = 1u << 16;

std::optional<uint64_t> Number(ByteSource& source, uint64_t at, size_t width) {
    const std::span<const unsigned char> bytes = source.Read(at, width);
    if (bytes.size() != width) {
        return std::nullopt;
    }
    return BigEndian(bytes, 0, width);
}

struct Table {
    std::optional<Mp4Box> offsets; // stco or co64
    std::optional<Mp4Box> chunks;  // stsc
    std::optional<Mp4Box> sizes;   // stsz
};

uint64_t TableReach(ByteSource& source, const Table& table) {
    if (!table.offsets || !table.chunks || !table.sizes) {
        return 0;
    }
    const size_t width = table.offsets->Is("co64") ? 8 : 4;
    const uint64_t chunkCount = Number(source, table.offsets->payload + 4, 4).value_or(0);
    const uint64_t runs = Number(source, table.chunks->payload + 4, 4).value_or(0);
    const uint64_t sampleSize = Number(source, table.sizes->payload + 4, 4).value_or(0);
    const uint64_t samples = Number(source, table.sizes->payload + 8, 4).value_or(0);
    if (chunkCount == 0 || runs == 0 || samples == 0 ||
        table.offsets->payload + 8 + chunkCount * width > table.offsets->end ||
        table.chunks->payload + 8 + runs * 12 > table.chunks->end ||
        (sampleSize == 0 && table.sizes->payload + 12 + samples * 4 > table.sizes->end)) {
        return 0;
    }
    const uint64_t last =
        Number(source, table.offsets->payload + 8 + (chunkCount - 1) * width, width).value_or(0);
    // The last run of the chunk table holds the last chunk.
    const uint64_t perChunk =
        Number(source, table.chunks->payload + 8 + (runs - 1) * 12 + 4, 4).value_or(0);
    if (perChunk == 0 || perChunk > samples || perChunk > kMaxChunkSamples) {
        return last;
    }
    if (sampleSize != 0) {
        return last + perChunk * sampleSize;
    }
    uint64_t reach = last;
    for (uint64_t i = samples - perChunk; i < samples; ++i) {
        reach += Number(source, table.sizes->payload + 12 + i * 4, 4).value_or(0);
    }
    return reach;
}

} // namespace

uint64_t IndexReach(ByteSource& source, uint64_t begin, uint64_t end) {
    uint64_t reach = 0;
    ForEachMp4Box(source, begin, end, [&](const Mp4Box& track) {
        if (!track.Is("trak")) {
            return true;
        }
        Mp4Box box = track;
        for (const char* level : {"mdia", "minf", "stbl"}) {
            std::optional<Mp4Box> inner;
            ForEachMp4Box(source, box.payload, box.end, [&](const Mp4Box& child) {
                if (child.Is(level)) {
                    inner = child;
                }
                return !inner;
            });
            if (!inner) {
                return true;
            }
            box = *inner;
        }
        Table table;
        ForEachMp4Box(source, box.payload, box.end, [&](const Mp4Box& child) {
            if (child.Is("stco") || child.Is("co64")) {
                table.offsets = child;
            } else if (child.Is("stsc")) {
                table.chunks = child;
            } else if (child.Is("stsz")) {
                table.sizes = child;
            }
            return true;
        });
        reach = std::max(reach, TableReach(source, table));
        return true;
    });
    return reach;
}
