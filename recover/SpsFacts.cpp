#include "recover/SpsFacts.h"

#include "recover/BitReader.h"
#include "recover/VuiPrefix.h"

namespace {

// Profiles whose SPS carries the chroma format, bit depths and scaling matrices.
bool HasChromaFields(uint8_t profile) {
    switch (profile) {
    case 100:
    case 110:
    case 122:
    case 244:
    case 44:
    case 83:
    case 86:
    case 118:
    case 128:
    case 138:
    case 139:
    case 134:
    case 135:
        return true;
    default:
        return false;
    }
}

void SkipScalingList(BitReader& bits, int size) {
    int64_t last = 8;
    int64_t next = 8;
    for (int j = 0; j < size; ++j) {
        if (next != 0) {
            // A damaged delta may be far outside -128..127; the sum stays exact in 64 bits.
            next = ((last + bits.Se()) % 256 + 256) % 256;
        }
        last = next == 0 ? last : next;
    }
}

// The VUI's timing info, past the fields before it.
void ReadTiming(BitReader& bits, SpsFacts& facts) {
    SkipVuiPrefix(bits);
    if (bits.Bits(1) == 1) {
        facts.unitsInTick = bits.Bits(32);
        facts.timeScale = bits.Bits(32);
    }
}

} // namespace

std::optional<SpsFacts> ReadSpsFacts(std::span<const unsigned char> nal) {
    if (nal.size() < 4 || (nal[0] & 0x1F) != 7) {
        return std::nullopt;
    }
    const std::vector<unsigned char> rbsp = UnescapedPayload(nal.subspan(1));
    BitReader bits(rbsp);
    SpsFacts facts;
    facts.profile = static_cast<uint8_t>(bits.Bits(8));
    facts.compatibility = static_cast<uint8_t>(bits.Bits(8));
    facts.level = static_cast<uint8_t>(bits.Bits(8));
    bits.Ue(); // seq_parameter_set_id
    if (HasChromaFields(facts.profile)) {
        facts.chromaFormat = bits.Ue();
        if (facts.chromaFormat == 3) {
            facts.separatePlanes = bits.Bits(1) == 1;
        }
        facts.lumaDepthMinus8 = bits.Ue();
        facts.chromaDepthMinus8 = bits.Ue();
        bits.Bits(1);
        if (bits.Bits(1) == 1) {
            for (int i = 0; i < (facts.chromaFormat != 3 ? 8 : 12); ++i) {
                if (bits.Bits(1) == 1) {
                    SkipScalingList(bits, i < 6 ? 16 : 64);
                }
            }
        }
    }
    facts.frameNumBits = bits.Ue() + 4;
    facts.pocType = bits.Ue();
    if (facts.pocType == 0) {
        facts.pocLsbBits = bits.Ue() + 4;
    } else if (facts.pocType == 1) {
        bits.Bits(1);
        bits.Se();
        bits.Se();
        const uint32_t cycle = bits.Ue();
        if (cycle > 255) {
            return std::nullopt;
        }
        for (uint32_t i = 0; i < cycle; ++i) {
            bits.Se();
        }
    }
    bits.Ue(); // max_num_ref_frames
    bits.Bits(1);
    const uint32_t widthMbs = bits.Ue() + 1;
    const uint32_t heightUnits = bits.Ue() + 1;
    const uint32_t frameMbsOnly = bits.Bits(1);
    facts.frameMbsOnly = frameMbsOnly == 1;
    if (frameMbsOnly == 0) {
        bits.Bits(1);
    }
    bits.Bits(1);
    uint32_t crop[4] = {};
    if (bits.Bits(1) == 1) {
        for (uint32_t& side : crop) {
            side = bits.Ue();
        }
    }
    if (bits.Bits(1) == 1) {
        ReadTiming(bits, facts);
    }
    if (bits.Overrun() || facts.chromaFormat > 3 || widthMbs > 1024 || heightUnits > 1024 ||
        facts.frameNumBits > 16 || facts.pocLsbBits > 16) {
        return std::nullopt;
    }
    // The crop is counted in chroma samples, and in field pairs for interlaced video.
    const uint32_t chroma = facts.separatePlanes ? 0 : facts.chromaFormat;
    const uint32_t cropX = chroma == 1 || chroma == 2 ? 2 : 1;
    const uint32_t cropY = (chroma == 1 ? 2 : 1) * (2 - frameMbsOnly);
    const uint64_t fullWidth = uint64_t{widthMbs} * 16;
    const uint64_t fullHeight = uint64_t{2 - frameMbsOnly} * heightUnits * 16;
    const uint64_t cutX = uint64_t{cropX} * (uint64_t{crop[0]} + crop[1]);
    const uint64_t cutY = uint64_t{cropY} * (uint64_t{crop[2]} + crop[3]);
    if (cutX >= fullWidth || cutY >= fullHeight) {
        return std::nullopt;
    }
    facts.width = static_cast<uint32_t>(fullWidth - cutX);
    facts.height = static_cast<uint32_t>(fullHeight - cutY);
    return facts;
}
