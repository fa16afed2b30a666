#include "track/Mp4Boxes.h"

#include <algorithm>
#include <cstring>

namespace {

// More boxes on one level than any clip has: the walk of damaged data stays short.
constexpr int kMaxBoxesPerLevel = 1 << 16;

} // namespace

uint64_t BigEndian(std::span<const unsigned char> bytes, size_t at, size_t count) {
    uint64_t value = 0;
    for (size_t i = 0; i < count; ++i) {
        value = value << 8 | bytes[at + i];
    }
    return value;
}

void ForEachMp4Box(ByteSource& source, uint64_t begin, uint64_t end,
                   const std::function<bool(const Mp4Box& box)>& visit) {
    end = std::min(end, source.Length());
    uint64_t at = begin;
    for (int count = 0; count < kMaxBoxesPerLevel && end - at >= 8 && at < end; ++count) {
        const std::span<const unsigned char> header = source.Read(at, 16);
        if (header.size() < 8) {
            return; // the clip shrank
        }
        Mp4Box box;
        std::memcpy(box.type, header.data() + 4, 4);
        box.begin = at;
        uint64_t size = BigEndian(header, 0, 4);
        uint64_t headerLength = 8;
        if (size == 1) {
            if (header.size() < 16) {
                return;
            }
            size = BigEndian(header, 8, 8);
            headerLength = 16;
        } else if (size == 0) {
            size = end - at;
        }
        // A 64-bit size whose header runs past the enclosing box's end would put the
        // payload beyond that end.
        if (size < headerLength || headerLength > end - at) {
            return;
        }
        box.payload = at + headerLength;
        box.end = size > end - at ? end : at + size;
        if (!visit(box)) {
            return;
        }
        at = box.end;
    }
}

namespace {

std::optional<Mp4Box> FindWithin(ByteSource& source, uint64_t begin, uint64_t end,
                                 std::string_view path) {
    std::optional<Mp4Box> found;
    while (!path.empty()) {
        const std::string_view wanted = path.substr(0, 4);
        path.remove_prefix(std::min<size_t>(path.size(), 5));
        found.reset();
        ForEachMp4Box(source, begin, end, [&](const Mp4Box& box) {
            if (box.Is(wanted)) {
                found = box;
                return false;
            }
            return true;
        });
        if (!found) {
            return std::nullopt;
        }
        begin = found->payload;
        end = found->end;
    }
    return found;
}

} // namespace

std::optional<Mp4Box> FindMp4Box(ByteSource& source, std::string_view path) {
    return FindWithin(source, 0, source.Length(), path);
}

std::optional<Mp4Box> FindMp4Box(ByteSource& source, const Mp4Box& parent, std::string_view path) {
    return FindWithin(source, parent.payload, parent.end, path);
}
