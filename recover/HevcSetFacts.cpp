#include "recover/HevcSetFacts.h"

#include <vector>

#include "recover/BitReader.h"
#include "recover/HevcProfileTierLevel.h"

namespace {

constexpr int kVpsType = 32;
constexpr int kPpsType = 34;

int TypeOf(std::span<const unsigned char> nal) {
    return nal.size() < 3 ? -1 : nal[0] >> 1 & 0x3F;
}

} // namespace

std::optional<HevcVpsTiming> ReadHevcVps(std::span<const unsigned char> nal) {
    if (TypeOf(nal) != kVpsType) {
        return std::nullopt;
    }
    const std::vector<unsigned char> rbsp = UnescapedPayload(nal.subspan(2));
    BitReader bits(rbsp);
    bits.Bits(4); // vps_video_parameter_set_id
    bits.Bits(2); // base layer internal and available
    bits.Bits(6); // vps_max_layers_minus1
    const uint32_t subLayersMinus1 = bits.Bits(3);
    bits.Bits(1);
    // vps_reserved_0xffff_16bits: a fixed pattern damage seldom keeps.
    if (bits.Bits(16) != 0xFFFF || subLayersMinus1 > 6) {
        return std::nullopt;
    }
    SkipProfileTierLevel(bits, subLayersMinus1);
    for (uint32_t i = bits.Bits(1) == 1 ? 0 : subLayersMinus1; i <= subLayersMinus1; ++i) {
        bits.Ue();
        bits.Ue();
        bits.Ue();
    }
    const uint32_t maxLayerId = bits.Bits(6);
    const uint32_t layerSetsMinus1 = bits.Ue();
    if (layerSetsMinus1 > 1023) {
        return std::nullopt;
    }
    bits.Skip(size_t{layerSetsMinus1} * (maxLayerId + 1)); // layer_id_included_flag
    HevcVpsTiming timing;
    if (bits.Bits(1) == 1) {
        timing.unitsInTick = bits.Bits(32);
        timing.timeScale = bits.Bits(32);
    }
    if (bits.Overrun()) {
        return std::nullopt;
    }
    return timing;
}

std::optional<HevcPpsFacts> ReadHevcPps(std::span<const unsigned char> nal) {
    if (TypeOf(nal) != kPpsType) {
        return std::nullopt;
    }
    const std::vector<unsigned char> rbsp = UnescapedPayload(nal.subspan(2));
    BitReader bits(rbsp);
    HevcPpsFacts facts;
    facts.id = bits.Ue();
    const uint32_t spsId = bits.Ue();
    facts.dependentSlices = bits.Bits(1) == 1;
    facts.outputFlag = bits.Bits(1) == 1;
    facts.extraSliceHeaderBits = bits.Bits(3);
    if (bits.Overrun() || facts.id > 63 || spsId > 15) {
        return std::nullopt;
    }
    return facts;
}
