#include "track/GpsIndex.h"

#include "track/CameraBlockLayouts.h"
#include "track/Mp4Boxes.h"
#include "track/TrackLine.h"

#include <algorithm>
#include <cstring>
#include <unordered_set>

namespace {

constexpr uint64_t kEntryLength = 8;
constexpr uint64_t kCountLength = 8; // version and count
constexpr uint64_t kMarkerAt = 4;    // the box's size comes first

} // namespace

std::optional<std::vector<GpsIndexEntry>> ReadGpsIndex(ByteSource& source) {
    const std::optional<Mp4Box> atom = FindMp4Box(source, "moov/gps ");
    if (!atom) {
        return std::nullopt;
    }
    std::vector<GpsIndexEntry> entries;
    const uint64_t payload = atom->end - atom->payload;
    if (payload < kCountLength) {
        return entries;
    }
    const std::span<const unsigned char> head = source.Read(atom->payload, kCountLength);
    if (head.size() < kCountLength) {
        return entries;
    }
    const uint64_t held = std::min<uint64_t>((payload - kCountLength) / kEntryLength,
                                             static_cast<uint64_t>(kMaxTrackSecond) + 1);
    const uint64_t count = std::min<uint64_t>(BigEndian(head, 4, 4), held);
    const std::span<const unsigned char> table =
        source.Read(atom->payload + kCountLength, count * kEntryLength);
    entries.reserve(table.size() / kEntryLength);
    for (size_t at = 0; at + kEntryLength <= table.size(); at += kEntryLength) {
        entries.push_back({static_cast<uint32_t>(BigEndian(table, at, 4)),
                           static_cast<uint32_t>(BigEndian(table, at + 4, 4))});
    }
    return entries;
}

std::optional<uint64_t> ReadIndexedBlocks(ByteSource& source,
                                          const std::vector<GpsIndexEntry>& index,
                                          std::vector<FreeGpsBlock>& blocks) {
    std::optional<uint64_t> missing;
    const auto miss = [&missing](uint64_t offset) {
        missing = std::min(missing.value_or(offset), offset);
    };
    std::vector<ByteRange> boxes;
    boxes.reserve(index.size());
    std::unordered_set<uint64_t> seen;
    seen.reserve(index.size());
    for (const GpsIndexEntry& entry : index) {
        if (!seen.insert(entry.offset).second) {
            continue; // the same box named twice is still one second
        }
        if (entry.size < kMarkerAt + kCameraBlockLength) {
            miss(entry.offset);
            continue;
        }
        boxes.push_back({entry.offset, kMarkerAt + kCameraBlockLength});
    }
    blocks.reserve(blocks.size() + boxes.size());
    source.ReadEach(boxes, [&](size_t i, std::span<const unsigned char> box) {
        if (box.size() < kMarkerAt + kCameraBlockLength ||
            std::memcmp(box.data() + kMarkerAt, "freeGPS ", 8) != 0) {
            miss(boxes[i].offset);
            return;
        }
        blocks.push_back(ReadCameraBlock(source, boxes[i].offset + kMarkerAt,
                                         std::span<const unsigned char, kCameraBlockLength>(
                                             box.data() + kMarkerAt, kCameraBlockLength)));
    });
    return missing;
}
