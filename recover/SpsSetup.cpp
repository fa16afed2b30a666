#include "recover/SpsSetup.h"

#include "recover/BoxWriter.h"
#include "recover/SpsFacts.h"
#include "recover/VisualEntry.h"

namespace {

// High profiles whose avcC carries the chroma format and bit depths after the sets.
bool HighProfile(uint8_t profile) {
    return profile == 100 || profile == 110 || profile == 122 || profile == 144;
}

} // namespace

std::optional<VideoSetup> SetupFromParameterSets(std::span<const unsigned char> sps,
                                                 std::span<const unsigned char> pps,
                                                 bool& timingAssumed, std::string& why) {
    const std::optional<SpsFacts> facts = ReadSpsFacts(sps);
    if (sps.empty() || pps.empty()) {
        why = "no template given and the clip holds no SPS/PPS of its own: "
              "give a healthy clip of the same camera with --template";
        return std::nullopt;
    }
    if (!facts || facts->width > 0xFFFF || facts->height > 0xFFFF) {
        why = "the clip's SPS cannot be read";
        return std::nullopt;
    }
    VideoSetup setup;
    setup.width = facts->width;
    setup.height = facts->height;
    // A field pair per tick: a frame lasts two ticks.
    timingAssumed =
        facts->timeScale == 0 || facts->unitsInTick == 0 || facts->unitsInTick > 0x7FFFFFFF;
    setup.timescale = timingAssumed ? kAssumedFrameRate * 1000 : facts->timeScale;
    setup.sampleDelta = timingAssumed ? 1000 : 2 * facts->unitsInTick;

    BoxWriter entry;
    entry.Open("avc1");
    WriteVisualEntryFields(entry, setup.width, setup.height);
    entry.Open("avcC");
    entry.U8(1);
    entry.U8(facts->profile);
    entry.U8(facts->compatibility);
    entry.U8(facts->level);
    entry.U8(0xFF); // 4-byte NAL lengths
    entry.U8(0xE1); // one SPS
    entry.U16(static_cast<uint16_t>(sps.size()));
    entry.Bytes(sps);
    entry.U8(1);
    entry.U16(static_cast<uint16_t>(pps.size()));
    entry.Bytes(pps);
    if (HighProfile(facts->profile)) {
        entry.U8(static_cast<uint8_t>(0xFC | facts->chromaFormat));
        entry.U8(static_cast<uint8_t>(0xF8 | (facts->lumaDepthMinus8 & 7)));
        entry.U8(static_cast<uint8_t>(0xF8 | (facts->chromaDepthMinus8 & 7)));
        entry.U8(0);
    }
    entry.Close();
    entry.Close();
    setup.sampleEntry = entry.Result();
    setup.sps.assign(sps.begin(), sps.end());
    return setup;
}
