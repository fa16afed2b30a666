#include "recover/TemplateSetup.h"

#include <vector>

#include "recover/TrackBoxes.h"
#include "track/Mp4Boxes.h"

namespace {

// A sample entry with its avcC is a few hundred bytes; a bigger one is damage.
constexpr uint64_t kMaxEntry = 65536;
constexpr int kHevcSps = 33;
constexpr int kHevcPps = 34;

// The avcC's first SPS; false unless it gives 4-byte NAL lengths.
bool ReadAvcConfig(VideoSetup& setup, size_t at) {
    const std::vector<unsigned char>& entry = setup.sampleEntry;
    if (at + 5 > entry.size() || (entry[at + 4] & 3) != 3) {
        return false;
    }
    const size_t spsLength = at + 8 <= entry.size() && (entry[at + 5] & 0x1F) > 0
                                 ? static_cast<size_t>(BigEndian(entry, at + 6, 2))
                                 : 0;
    if (at + 8 + spsLength <= entry.size()) {
        setup.sps.assign(entry.begin() + at + 8, entry.begin() + at + 8 + spsLength);
    }
    return true;
}

// The hvcC's first SPS and PPS, from its arrays of parameter sets; false unless it gives
// 4-byte NAL lengths.
bool ReadHevcConfig(VideoSetup& setup, size_t at) {
    const std::vector<unsigned char>& entry = setup.sampleEntry;
    if (at + 23 > entry.size() || (entry[at + 21] & 3) != 3) {
        return false;
    }
    const size_t arrays = entry[at + 22];
    at += 23;
    for (size_t array = 0; array < arrays && at + 3 <= entry.size(); ++array) {
        const int type = entry[at] & 0x3F;
        const size_t count = static_cast<size_t>(BigEndian(entry, at + 1, 2));
        at += 3;
        for (size_t i = 0; i < count && at + 2 <= entry.size(); ++i) {
            const size_t length = static_cast<size_t>(BigEndian(entry, at, 2));
            if (at + 2 + length > entry.size()) {
                return true;
            }
            std::vector<unsigned char>* kept = type == kHevcSps   ? &setup.sps
                                               : type == kHevcPps ? &setup.pps
                                                                  : nullptr;
            if (kept && kept->empty()) {
                kept->assign(entry.begin() + at + 2, entry.begin() + at + 2 + length);
            }
            at += 2 + length;
        }
    }
    return true;
}

} // namespace

std::optional<VideoSetup> ReadTemplateSetup(ByteSource& source, std::string& why) {
    const std::optional<Mp4Box> movie = FindMp4Box(source, "moov");
    if (!movie) {
        why = "the template has no index (moov): it must be a whole clip";
        return std::nullopt;
    }
    const std::optional<Mp4Box> track = TrackOf(source, *movie, "vide");
    const std::optional<Mp4Box> header =
        track ? FindMp4Box(source, *track, "mdia/mdhd") : std::nullopt;
    const std::optional<Mp4Box> table =
        track ? FindMp4Box(source, *track, "mdia/minf/stbl") : std::nullopt;
    const std::optional<Mp4Box> entries = table ? FindMp4Box(source, *table, "stsd") : std::nullopt;
    const std::optional<Mp4Box> times = table ? FindMp4Box(source, *table, "stts") : std::nullopt;
    if (!header || !entries || !times) {
        why = "the template has no complete video track";
        return std::nullopt;
    }
    const std::vector<unsigned char> mdhd = Bytes(source, header->payload, 32);
    const std::vector<unsigned char> stts = Bytes(source, times->payload, 16);
    const std::vector<unsigned char> stsd = Bytes(source, entries->payload, 16);
    VideoSetup setup;
    if (mdhd.size() >= 32 && stts.size() >= 16 && stsd.size() >= 16) {
        setup.timescale = static_cast<uint32_t>(BigEndian(mdhd, mdhd[0] == 1 ? 20 : 12, 4));
        setup.sampleDelta = static_cast<uint32_t>(BigEndian(stts, 12, 4));
    }
    const uint64_t entrySize = stsd.size() >= 16 ? BigEndian(stsd, 8, 4) : 0;
    if (setup.timescale == 0 || setup.sampleDelta == 0 || entrySize < 86 || entrySize > kMaxEntry ||
        entries->payload + 8 + entrySize > entries->end) {
        why = "the template's video track has no usable timing or sample entry";
        return std::nullopt;
    }
    setup.sampleEntry = Bytes(source, entries->payload + 8, entrySize);
    const std::string codec(setup.sampleEntry.begin() + 4, setup.sampleEntry.begin() + 8);
    const bool avc = codec == "avc1" || codec == "avc3";
    if (!avc && codec != "hvc1" && codec != "hev1") {
        why = "the template's video is '" + codec + "', not H.264 (avc1) or H.265 (hvc1)";
        return std::nullopt;
    }
    setup.codec = avc ? VideoCodec::H264 : VideoCodec::H265;
    // The walk reads 4-byte NAL lengths; the configuration box says how long the camera
    // writes them.
    const std::string_view entry(reinterpret_cast<const char*>(setup.sampleEntry.data()),
                                 setup.sampleEntry.size());
    const size_t config = entry.find(avc ? "avcC" : "hvcC", 86);
    if (config == std::string_view::npos ||
        !(avc ? ReadAvcConfig(setup, config + 4) : ReadHevcConfig(setup, config + 4))) {
        why = "the template's " + CodecName(setup.codec) + " setup (" + (avc ? "avcC" : "hvcC") +
              ") is missing or not of 4-byte NAL lengths";
        return std::nullopt;
    }
    setup.width = static_cast<uint32_t>(BigEndian(setup.sampleEntry, 32, 2));
    setup.height = static_cast<uint32_t>(BigEndian(setup.sampleEntry, 34, 2));
    return setup;
}
