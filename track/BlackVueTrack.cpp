#include "track/BlackVueTrack.h"

#include "track/CGSampleStore.h"
#include "track/CMapTrackStore.h"
#include "track/Mp4Boxes.h"
#include "track/RegularFileRead.h"
#include "track/TrackLine.h"

#include <charconv>

namespace {

// Larger than any camera's track for one clip; a damaged size reads no further, and a file
// beside a clip, which holds the same text, is refused beyond it.
constexpr uint64_t kMaxBoxPayload = 64u << 20;

bool IsRmc(std::string_view sentence) {
    return sentence.size() >= 6 && sentence[0] == '$' && sentence.substr(3, 3) == "RMC";
}

std::string ReadPayload(ByteSource& source, const Mp4Box& box) {
    const uint64_t length = std::min(box.end - box.payload, kMaxBoxPayload);
    const std::span<const unsigned char> bytes = source.Read(box.payload, length);
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

// The `gps ` and `3gf ` children of a box, if it holds either.
std::optional<BlackVueTrack> ChildrenOf(ByteSource& source, const Mp4Box& parent) {
    std::optional<BlackVueTrack> track;
    ForEachMp4Box(source, parent.payload, parent.end, [&](const Mp4Box& box) {
        if (box.Is("gps ")) {
            (track ? *track : track.emplace()).gps = ReadPayload(source, box);
        } else if (box.Is("3gf ")) {
            (track ? *track : track.emplace()).threeGf = ReadPayload(source, box);
        }
        return true;
    });
    return track;
}

} // namespace

void ForEachBlackVueSentence(
    std::string_view text,
    const std::function<void(long long ms, std::string_view sentence)>& take) {
    while (!text.empty()) {
        const size_t end = text.find_first_of("\r\n");
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        // Some cameras leave binary bytes before the first stamp of a file on the same line;
        // the stamp and its sentence after them are whole, so the line is searched for the
        // first "[ms]$" rather than read from its first byte.
        for (size_t open = line.find('['); open != std::string_view::npos;
             open = line.find('[', open + 1)) {
            long long ms = 0;
            const char* const lineEnd = line.data() + line.size();
            const auto [close, error] = std::from_chars(line.data() + open + 1, lineEnd, ms);
            if (error == std::errc() && lineEnd - close >= 2 && close[0] == ']' &&
                close[1] == '$') {
                take(ms, line.substr(static_cast<size_t>(close + 1 - line.data())));
                break;
            }
        }
    }
}

void ForEachThreeGfRecord(std::string_view bytes,
                          const std::function<void(uint32_t ms, int x, int y, int z)>& take) {
    constexpr size_t kRecord = 10;
    const auto* b = reinterpret_cast<const unsigned char*>(bytes.data());
    auto i16 = [&](size_t at) { return static_cast<int16_t>(b[at] << 8 | b[at + 1]); };
    for (size_t at = 0; at + kRecord <= bytes.size(); at += kRecord) {
        const uint32_t ms = uint32_t{b[at]} << 24 | uint32_t{b[at + 1]} << 16 |
                            uint32_t{b[at + 2]} << 8 | b[at + 3];
        if (ms == 0xFFFFFFFF) {
            return;
        }
        take(ms, i16(at + 4), i16(at + 6), i16(at + 8));
    }
}

bool FillBlackVueTrack(const BlackVueTrack& track, const TrackStores& stores) {
    bool anyFix = false;
    std::optional<long long> first;
    ForEachBlackVueSentence(track.gps, [&](long long ms, std::string_view sentence) {
        if (!first) {
            first = ms;
        }
        // Stamps before the first line or beyond any clip are damage, not seconds; so is a
        // difference too large to compute.
        long long relative = 0;
        if (!IsRmc(sentence) || __builtin_sub_overflow(ms, *first, &relative) || relative < 0 ||
            relative / 1000 > static_cast<long long>(kMaxTrackSecond)) {
            return;
        }
        // The camera stamps each sentence when it arrives, 974 to 1010 ms after the one
        // before: truncated, two would share a second and leave the next one empty, so
        // each goes to the nearest second.
        const int second = static_cast<int>((relative + 500) / 1000);
        if (second > kMaxTrackSecond) {
            return;
        }
        std::string_view trimmed = sentence;
        while (!trimmed.empty() && (trimmed.back() == '\r' || trimmed.back() == ' ')) {
            trimmed.remove_suffix(1);
        }
        const std::string line = SentenceTrackLine(second * 1000, trimmed);
        if (stores.map.StoreTrackLine(line.c_str()) != 0) {
            anyFix = anyFix || stores.map.HasPosition(second);
        }
    });
    long long lastSecond = -1;
    ForEachThreeGfRecord(track.threeGf, [&](uint32_t ms, int x, int y, int z) {
        const long long second = ms / 1000;
        if (second <= lastSecond || second > kMaxTrackSecond) {
            return; // the first record of each second stands for it
        }
        lastSecond = second;
        const std::string line =
            EmbeddedTrackLine(static_cast<int>(second * 1000), x / 128.0, y / 128.0, z / 128.0);
        stores.chart.AddTrackLine(line.c_str());
    });
    return anyFix;
}

std::optional<BlackVueTrack> ReadBlackVueBoxes(ByteSource& source) {
    if (const std::optional<Mp4Box> udta = FindMp4Box(source, "moov/udta")) {
        if (std::optional<BlackVueTrack> track = ChildrenOf(source, *udta)) {
            return track;
        }
    }
    std::optional<BlackVueTrack> track;
    ForEachMp4Box(source, 0, source.Length(), [&](const Mp4Box& box) {
        if (box.Is("free") && box.end - box.payload >= 8) {
            track = ChildrenOf(source, box);
        }
        return !track;
    });
    return track;
}

std::optional<BlackVueTrack> ReadBlackVueSidecars(const ClipFolder& folder) {
    std::optional<std::string> gps = ReadRegularFile(folder.Beside(".gps"), kMaxBoxPayload);
    std::optional<std::string> threeGf = ReadRegularFile(folder.Beside(".3gf"), kMaxBoxPayload);
    if (!gps && !threeGf) {
        return std::nullopt;
    }
    return BlackVueTrack{gps.value_or(""), threeGf.value_or("")};
}
