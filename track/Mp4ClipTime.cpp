#include "track/Mp4ClipTime.h"

#include "track/Mp4Boxes.h"

#include <algorithm>
#include <span>

std::optional<ClipTime> ReadClipTime(ByteSource& source) {
    const std::optional<Mp4Box> mvhd = FindMp4Box(source, "moov/mvhd");
    if (!mvhd) {
        return std::nullopt;
    }
    // Version 0: 32-bit creation and modification times, time scale, 32-bit duration;
    // version 1: the times and the duration 64-bit.
    const std::span<const unsigned char> bytes =
        source.Read(mvhd->payload, std::min<uint64_t>(mvhd->end - mvhd->payload, 32));
    if (bytes.empty()) {
        return std::nullopt;
    }
    const bool wide = bytes[0] == 1;
    const size_t field = wide ? 8 : 4;
    const size_t needed = 4 + 2 * field + 4 + field;
    if (bytes.size() < needed) {
        return std::nullopt;
    }
    const uint64_t created = BigEndian(bytes, 4, field);
    const uint64_t timescale = BigEndian(bytes, 4 + 2 * field, 4);
    const uint64_t duration = BigEndian(bytes, 4 + 2 * field + 4, field);
    // Past the year 292 billion the count is no time but damage.
    if (created == 0 || timescale == 0 || created > (uint64_t{1} << 62)) {
        return std::nullopt;
    }
    return ClipTime{static_cast<int64_t>(created) - kMp4EpochToUnix,
                    static_cast<double>(duration) / static_cast<double>(timescale)};
}
