#include "recover/HevcSetup.h"

#include "recover/BoxWriter.h"
#include "recover/HevcSetFacts.h"
#include "recover/HevcSpsFacts.h"
#include "recover/SpsSetup.h"
#include "recover/VisualEntry.h"

namespace {

constexpr uint8_t kVpsType = 32;
constexpr uint8_t kSpsType = 33;
constexpr uint8_t kPpsType = 34;

bool Usable(uint32_t timeScale, uint32_t unitsInTick) {
    return timeScale != 0 && unitsInTick != 0 && unitsInTick <= 0x7FFFFFFF;
}

// The hvcC of ISO/IEC 14496-15: the SPS's profile, tier and level and picture format, 4-byte
// NAL lengths, then one array each of VPS, SPS and PPS.
void WriteConfig(BoxWriter& entry, const HevcSpsFacts& facts, std::span<const unsigned char> vps,
                 std::span<const unsigned char> sps, std::span<const unsigned char> pps) {
    entry.Open("hvcC");
    entry.U8(1); // configurationVersion
    entry.Bytes(facts.profileTierLevel);
    entry.U16(0xF000); // min_spatial_segmentation_idc: not given
    entry.U8(0xFC);    // parallelismType: unknown
    entry.U8(static_cast<uint8_t>(0xFC | facts.chromaFormat));
    entry.U8(static_cast<uint8_t>(0xF8 | (facts.lumaDepthMinus8 & 7)));
    entry.U8(static_cast<uint8_t>(0xF8 | (facts.chromaDepthMinus8 & 7)));
    entry.U16(0); // avgFrameRate: not given
    // constantFrameRate 0, numTemporalLayers, temporalIdNested, lengthSizeMinusOne 3.
    entry.U8(static_cast<uint8_t>((facts.subLayers & 7) << 3 |
                                  (facts.temporalIdNesting ? 1 : 0) << 2 | 3));
    const std::pair<uint8_t, std::span<const unsigned char>> arrays[] = {
        {kVpsType, vps}, {kSpsType, sps}, {kPpsType, pps}};
    entry.U8(3);
    for (const auto& [type, set] : arrays) {
        // Complete: the entry holds every set of the type the stream needs, as hvc1 asks;
        // the camera's copies in the stream are the same sets again.
        entry.U8(0x80 | type);
        entry.U16(1);
        entry.U16(static_cast<uint16_t>(set.size()));
        entry.Bytes(set);
    }
    entry.Close();
}

} // namespace

std::optional<VideoSetup> SetupFromHevcSets(std::span<const unsigned char> vps,
                                            std::span<const unsigned char> sps,
                                            std::span<const unsigned char> pps, bool& timingAssumed,
                                            std::string& why) {
    if (vps.empty() || sps.empty() || pps.empty()) {
        why = "no template given and the clip holds no VPS/SPS/PPS of its own: "
              "give a healthy clip of the same camera with --template";
        return std::nullopt;
    }
    const std::optional<HevcSpsFacts> facts = ReadHevcSps(sps);
    const std::optional<HevcVpsTiming> vpsTiming = ReadHevcVps(vps);
    if (!facts || facts->width > 0xFFFF || facts->height > 0xFFFF) {
        why = "the clip's SPS cannot be read";
        return std::nullopt;
    }
    if (!vpsTiming || !ReadHevcPps(pps)) {
        why = "the clip's VPS or PPS cannot be read";
        return std::nullopt;
    }
    VideoSetup setup;
    setup.codec = VideoCodec::H265;
    setup.width = facts->width;
    setup.height = facts->height;
    // Unlike H.264's, H.265's tick is a whole frame.
    if (Usable(facts->timeScale, facts->unitsInTick)) {
        setup.timescale = facts->timeScale;
        setup.sampleDelta = facts->unitsInTick;
    } else if (Usable(vpsTiming->timeScale, vpsTiming->unitsInTick)) {
        setup.timescale = vpsTiming->timeScale;
        setup.sampleDelta = vpsTiming->unitsInTick;
    }
    timingAssumed = setup.timescale == 0;
    if (timingAssumed) {
        setup.timescale = kAssumedFrameRate * 1000;
        setup.sampleDelta = 1000;
    }

    BoxWriter entry;
    entry.Open("hvc1");
    WriteVisualEntryFields(entry, setup.width, setup.height);
    WriteConfig(entry, *facts, vps, sps, pps);
    entry.Close();
    setup.sampleEntry = entry.Result();
    setup.sps.assign(sps.begin(), sps.end());
    setup.pps.assign(pps.begin(), pps.end());
    return setup;
}
