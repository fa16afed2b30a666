#include "recover/HevcSpsFacts.h"

#include <algorithm>
#include <vector>

#include "recover/BitReader.h"
#include "recover/HevcProfileTierLevel.h"
#include "recover/VuiPrefix.h"

namespace {

constexpr int kSpsType = 33;
// More reference picture sets, or more pictures in one, than the format allows are damage.
constexpr uint32_t kMaxRefPicSets = 64;
constexpr size_t kMaxDeltaPocs = 32;
// The widest or tallest picture the highest level holds: the square root of 8 times its
// largest picture size in luma samples.
constexpr uint32_t kMaxSide = 16888;

void SkipScalingLists(BitReader& bits) {
    for (int size = 0; size < 4; ++size) {
        for (int matrix = 0; matrix < 6; matrix += size == 3 ? 3 : 1) {
            if (bits.Bits(1) == 0) {
                bits.Ue(); // scaling_list_pred_matrix_id_delta
                continue;
            }
            const int coefficients = std::min(64, 1 << (4 + (size << 1)));
            if (size > 1) {
                bits.Se();
            }
            for (int i = 0; i < coefficients; ++i) {
                bits.Se();
            }
        }
    }
}

// One short-term reference picture set: the order count differences of the pictures before
// and after, which a later set predicted from this one needs to be read at all.
struct RefPicSet {
    std::vector<int32_t> before; // negative, nearest first
    std::vector<int32_t> after;  // positive, nearest first
};

bool ReadRefPicSet(BitReader& bits, const std::vector<RefPicSet>& earlier, RefPicSet& set) {
    if (!earlier.empty() && bits.Bits(1) == 1) {
        // Predicted from the set before it (delta_idx is only written in a slice header).
        const RefPicSet& from = earlier.back();
        const int32_t sign = bits.Bits(1) == 1 ? -1 : 1;
        const int64_t delta = sign * (int64_t{bits.Ue()} + 1);
        if (delta < -(1 << 15) || delta > (1 << 15)) {
            return false;
        }
        const size_t count = from.before.size() + from.after.size();
        std::vector<bool> use(count + 1, true);
        for (size_t j = 0; j <= count; ++j) {
            if (bits.Bits(1) == 0) {
                use[j] = bits.Bits(1) == 1;
            }
        }
        const size_t before = from.before.size();
        const auto d = static_cast<int32_t>(delta);
        for (size_t j = from.after.size(); j-- > 0;) {
            if (from.after[j] + d < 0 && use[before + j]) {
                set.before.push_back(from.after[j] + d);
            }
        }
        if (d < 0 && use[count]) {
            set.before.push_back(d);
        }
        for (size_t j = 0; j < before; ++j) {
            if (from.before[j] + d < 0 && use[j]) {
                set.before.push_back(from.before[j] + d);
            }
        }
        for (size_t j = before; j-- > 0;) {
            if (from.before[j] + d > 0 && use[j]) {
                set.after.push_back(from.before[j] + d);
            }
        }
        if (d > 0 && use[count]) {
            set.after.push_back(d);
        }
        for (size_t j = 0; j < from.after.size(); ++j) {
            if (from.after[j] + d > 0 && use[before + j]) {
                set.after.push_back(from.after[j] + d);
            }
        }
    } else {
        const uint32_t negatives = bits.Ue();
        const uint32_t positives = bits.Ue();
        if (negatives > kMaxDeltaPocs || positives > kMaxDeltaPocs) {
            return false;
        }
        int32_t poc = 0;
        for (uint32_t i = 0; i < negatives; ++i) {
            poc -= static_cast<int32_t>(std::min<uint32_t>(bits.Ue(), 1u << 16) + 1);
            bits.Bits(1); // used_by_curr_pic_s0_flag
            set.before.push_back(poc);
        }
        poc = 0;
        for (uint32_t i = 0; i < positives; ++i) {
            poc += static_cast<int32_t>(std::min<uint32_t>(bits.Ue(), 1u << 16) + 1);
            bits.Bits(1);
            set.after.push_back(poc);
        }
    }
    return set.before.size() + set.after.size() <= kMaxDeltaPocs && !bits.Overrun();
}

// The VUI's timing info, past the fields before it.
void ReadTiming(BitReader& bits, HevcSpsFacts& facts) {
    SkipVuiPrefix(bits);
    bits.Bits(3); // neutral chroma, field_seq, frame_field_info_present
    if (bits.Bits(1) == 1) {
        for (int side = 0; side < 4; ++side) {
            bits.Ue(); // the default display window
        }
    }
    if (bits.Bits(1) == 1) {
        facts.unitsInTick = bits.Bits(32);
        facts.timeScale = bits.Bits(32);
    }
}

// The fields from the coding block sizes to the VUI flag; false when they are out of range.
bool SkipCodingTools(BitReader& bits, const HevcSpsFacts& facts) {
    for (int field = 0; field < 6; ++field) {
        bits.Ue(); // coding and transform block sizes, transform hierarchy depths
    }
    if (bits.Bits(1) == 1 && bits.Bits(1) == 1) {
        SkipScalingLists(bits);
    }
    bits.Bits(2); // amp, sample adaptive offset
    if (bits.Bits(1) == 1) {
        bits.Bits(8); // PCM sample bit depths
        bits.Ue();
        bits.Ue();
        bits.Bits(1);
    }
    const uint32_t sets = bits.Ue();
    if (sets > kMaxRefPicSets) {
        return false;
    }
    std::vector<RefPicSet> refPicSets;
    for (uint32_t i = 0; i < sets; ++i) {
        RefPicSet set;
        if (!ReadRefPicSet(bits, refPicSets, set)) {
            return false;
        }
        refPicSets.push_back(std::move(set));
    }
    if (bits.Bits(1) == 1) {
        const uint32_t longTerm = bits.Ue();
        if (longTerm > 32) {
            return false;
        }
        bits.Skip(longTerm * (facts.pocLsbBits + 1));
    }
    bits.Bits(2); // temporal motion vector prediction, strong intra smoothing
    return !bits.Overrun();
}

} // namespace

std::optional<HevcSpsFacts> ReadHevcSps(std::span<const unsigned char> nal) {
    if (nal.size() < 4 || (nal[0] >> 1 & 0x3F) != kSpsType) {
        return std::nullopt;
    }
    const std::vector<unsigned char> rbsp = UnescapedPayload(nal.subspan(2));
    if (rbsp.size() < 13) {
        return std::nullopt;
    }
    BitReader bits(rbsp);
    HevcSpsFacts facts;
    bits.Bits(4); // sps_video_parameter_set_id
    const uint32_t subLayersMinus1 = bits.Bits(3);
    facts.subLayers = subLayersMinus1 + 1;
    facts.temporalIdNesting = bits.Bits(1) == 1;
    std::copy(rbsp.begin() + 1, rbsp.begin() + 13, facts.profileTierLevel.begin());
    SkipProfileTierLevel(bits, subLayersMinus1);
    const uint32_t setId = bits.Ue();
    facts.chromaFormat = bits.Ue();
    if (facts.chromaFormat == 3) {
        facts.separatePlanes = bits.Bits(1) == 1;
    }
    const uint32_t fullWidth = bits.Ue();
    const uint32_t fullHeight = bits.Ue();
    uint32_t window[4] = {};
    if (bits.Bits(1) == 1) {
        for (uint32_t& side : window) {
            side = bits.Ue();
        }
    }
    facts.lumaDepthMinus8 = bits.Ue();
    facts.chromaDepthMinus8 = bits.Ue();
    facts.pocLsbBits = bits.Ue() + 4;
    if (setId > 15 || facts.chromaFormat > 3 || facts.lumaDepthMinus8 > 8 ||
        facts.chromaDepthMinus8 > 8 || facts.pocLsbBits > 16 || subLayersMinus1 > 6) {
        return std::nullopt;
    }
    for (uint32_t i = bits.Bits(1) == 1 ? 0 : subLayersMinus1; i <= subLayersMinus1; ++i) {
        bits.Ue(); // decoded picture buffering, reorder pictures, latency
        bits.Ue();
        bits.Ue();
    }
    if (!SkipCodingTools(bits, facts)) {
        return std::nullopt;
    }
    if (bits.Bits(1) == 1) {
        ReadTiming(bits, facts);
    }
    if (bits.Overrun() || fullWidth == 0 || fullHeight == 0 || fullWidth > kMaxSide ||
        fullHeight > kMaxSide) {
        return std::nullopt;
    }
    // The conformance window is counted in chroma samples.
    const uint32_t chroma = facts.separatePlanes ? 0 : facts.chromaFormat;
    const uint64_t unitX = chroma == 1 || chroma == 2 ? 2 : 1;
    const uint64_t unitY = chroma == 1 ? 2 : 1;
    const uint64_t cutX = unitX * (uint64_t{window[0]} + window[1]);
    const uint64_t cutY = unitY * (uint64_t{window[2]} + window[3]);
    if (cutX >= fullWidth || cutY >= fullHeight) {
        return std::nullopt;
    }
    facts.width = static_cast<uint32_t>(fullWidth - cutX);
    facts.height = static_cast<uint32_t>(fullHeight - cutY);
    return facts;
}
