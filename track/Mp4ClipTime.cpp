#include "track/Mp4ClipTime.h"

#include "track/Mp4Boxes.h"
#include "track/TrackLine.h"

#include <algorithm>
#include <span>

namespace {

struct MovieHeader {
    uint64_t created = 0;
    uint64_t timescale = 0;
    uint64_t duration = 0;
    bool durationKnown = false;
};

std::optional<MovieHeader> ReadMovieHeader(ByteSource& source) {
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
    MovieHeader header;
    header.created = BigEndian(bytes, 4, field);
    header.timescale = BigEndian(bytes, 4 + 2 * field, 4);
    header.duration = BigEndian(bytes, 4 + 2 * field + 4, field);
    // All ones is the format's "duration not known".
    const uint64_t unknown = wide ? ~uint64_t{0} : uint64_t{0xFFFFFFFF};
    header.durationKnown = header.duration != 0 && header.duration != unknown;
    return header;
}

} // namespace

std::optional<ClipTime> ReadClipTime(ByteSource& source) {
    const std::optional<MovieHeader> header = ReadMovieHeader(source);
    // Past the year 292 billion the count is no time but damage.
    if (!header || header->created == 0 || header->timescale == 0 ||
        header->created > (uint64_t{1} << 62)) {
        return std::nullopt;
    }
    return ClipTime{static_cast<int64_t>(header->created) - kMp4EpochToUnix,
                    static_cast<double>(header->duration) / static_cast<double>(header->timescale)};
}

std::optional<double> ReadClipDuration(ByteSource& source) {
    const std::optional<MovieHeader> header = ReadMovieHeader(source);
    if (!header || header->timescale == 0 || !header->durationKnown) {
        return std::nullopt;
    }
    return static_cast<double>(header->duration) / static_cast<double>(header->timescale);
}

int LastTrackSecond(ByteSource& source) {
    const std::optional<MovieHeader> header = ReadMovieHeader(source);
    if (!header || header->timescale == 0 || !header->durationKnown) {
        return kMaxTrackSecond;
    }
    const uint64_t seconds =
        header->duration / header->timescale + (header->duration % header->timescale != 0);
    return seconds >= static_cast<uint64_t>(kMaxTrackSecond - kTrackSecondsPastClip)
               ? kMaxTrackSecond
               : static_cast<int>(seconds) + kTrackSecondsPastClip;
}
