#include "recover/HevcSyntax.h"

#include <algorithm>
#include <vector>

#include "recover/BitReader.h"

namespace {

// NAL unit types (ITU-T H.265 table 7-1).
constexpr int kLastSubLayerType = 9;  // TRAIL, TSA, STSA, RADL, RASL: 0-9
constexpr int kLastNonReference = 14; // the even types up to it are sub-layer non-reference
constexpr int kRadlN = 6;
constexpr int kRaslN = 8;
constexpr int kRaslR = 9;
constexpr int kFirstIrap = 16; // BLA 16-18, IDR 19-20, CRA 21
constexpr int kFirstIdr = 19;
constexpr int kLastIdr = 20;
constexpr int kCra = 21;
constexpr int kVps = 32;
constexpr int kSps = 33;
constexpr int kPps = 34;
constexpr int kDelimiter = 35;
constexpr int kEndOfSequence = 36;
constexpr int kEndOfStream = 37;
constexpr int kFiller = 38;
constexpr int kPrefixSei = 39;
constexpr int kSuffixSei = 40;

// A picture following another in decoding order is shown at most this many pictures before
// or after it in any stream a camera writes.
constexpr uint32_t kMaxPocStep = 16;

int TypeOf(unsigned char first) {
    return first >> 1 & 0x3F;
}

// Which units a camera's single-layer stream holds: the defined types, with the temporal
// id some must have (0 for key pictures, VPS, SPS and the ends of a sequence or stream).
NalKind KindOf(int type, bool baseLayer) {
    if (type <= kLastSubLayerType) {
        return NalKind::Slice;
    }
    switch (type) {
    case kFirstIrap:
    case kFirstIrap + 1:
    case kFirstIrap + 2:
    case kFirstIdr:
    case kLastIdr:
    case kCra:
        return baseLayer ? NalKind::Slice : NalKind::Damage;
    case kVps:
        return baseLayer ? NalKind::Vps : NalKind::Damage;
    case kSps:
        return baseLayer ? NalKind::Sps : NalKind::Damage;
    case kPps:
        return NalKind::Pps;
    case kDelimiter:
        return NalKind::Delimiter;
    case kPrefixSei:
        return NalKind::Sei;
    case kEndOfSequence:
    case kEndOfStream:
        return baseLayer ? NalKind::Trailing : NalKind::Damage;
    case kFiller:
    case kSuffixSei:
        return NalKind::Trailing;
    default:
        return NalKind::Damage;
    }
}

} // namespace

HevcSyntax::HevcSyntax(std::span<const unsigned char> sps, std::span<const unsigned char> pps) {
    Learn(NalKind::Sps, sps);
    Learn(NalKind::Pps, pps);
}

NalHeader HevcSyntax::Classify(std::span<const unsigned char> start) const {
    NalHeader nal;
    if (start.size() < 2 || (start[0] & 0x80) != 0) {
        return nal;
    }
    const int type = TypeOf(start[0]);
    const uint32_t layer = (start[0] & 1u) << 5 | start[1] >> 3;
    const uint32_t temporalIdPlus1 = start[1] & 7u;
    if (layer != 0 || temporalIdPlus1 == 0) {
        return nal;
    }
    nal.kind = KindOf(type, temporalIdPlus1 == 1);
    if (nal.kind != NalKind::Slice) {
        return nal;
    }
    if (start.size() < 3) {
        return {};
    }
    nal.firstSlice = (start[2] & 0x80) != 0; // first_slice_segment_in_pic_flag
    nal.key = type >= kFirstIrap;
    // The order count's high bits carry on from the last picture of temporal id 0 that is
    // neither a leading picture nor one no other picture of its sub-layer refers to.
    const bool subLayerNonReference = type <= kLastNonReference && type % 2 == 0;
    const bool leading = type >= kRadlN && type <= kRaslR;
    nal.reference = temporalIdPlus1 == 1 && !subLayerNonReference && !leading;
    // At a BLA or IDR picture; a CRA picture inside the stream counts on.
    nal.ordersAnew = nal.key && type != kCra;
    nal.skippedAtStart = type == kRaslN || type == kRaslR;
    return nal;
}

bool HevcSyntax::Reads(NalKind kind, std::span<const unsigned char> nal) const {
    switch (kind) {
    case NalKind::Vps:
        return ReadHevcVps(nal).has_value();
    case NalKind::Sps:
        return ReadHevcSps(nal).has_value();
    case NalKind::Pps:
        return ReadHevcPps(nal).has_value();
    default:
        return true;
    }
}

void HevcSyntax::Learn(NalKind kind, std::span<const unsigned char> nal) {
    if (kind == NalKind::Sps) {
        if (const std::optional<HevcSpsFacts> facts = ReadHevcSps(nal)) {
            m_sps = facts;
        }
    } else if (kind == NalKind::Pps) {
        if (const std::optional<HevcPpsFacts> facts = ReadHevcPps(nal)) {
            m_pps[facts->id] = facts;
            m_knowsPps = true;
        }
    }
}

std::optional<SliceStart> HevcSyntax::ReadSlice(const NalHeader& header,
                                                std::span<const unsigned char> nal) const {
    if (!KnowsSlices() || nal.size() < 3) {
        return std::nullopt;
    }
    const int type = TypeOf(nal[0]);
    const std::vector<unsigned char> rbsp = UnescapedPayload(nal.subspan(2));
    BitReader bits(rbsp);
    const bool first = bits.Bits(1) == 1;
    if (header.key) {
        bits.Bits(1); // no_output_of_prior_pics_flag
    }
    const uint32_t ppsId = bits.Ue();
    if (!first || ppsId >= m_pps.size() || !m_pps[ppsId]) {
        return std::nullopt;
    }
    const HevcPpsFacts& pps = *m_pps[ppsId];
    bits.Skip(pps.extraSliceHeaderBits);
    SliceStart start;
    start.sliceType = bits.Ue();
    if (pps.outputFlag) {
        bits.Bits(1);
    }
    if (m_sps->separatePlanes) {
        bits.Bits(2);
    }
    // An IDR picture's order count is 0 and not written.
    start.hasPocLsb = true;
    if (type < kFirstIdr || type > kLastIdr) {
        start.pocLsb = bits.Bits(static_cast<int>(m_sps->pocLsbBits));
    }
    // A key picture is intra-coded.
    if (bits.Overrun() || start.sliceType > 2 || (header.key && start.sliceType != 2)) {
        return std::nullopt;
    }
    return start;
}

// The next picture in decoding order is shown near the last: its order count's low bits lie
// a few steps from the last one's, which bytes of another kind seldom manage. A key picture
// whose slice reads is taken even as the first: its two header bytes are one pair in some
// ten thousand, and a stream whose parameter sets are only in the template has nothing
// but the slice before the sound that follows it.
bool HevcSyntax::Continues(const NalHeader& header, const SliceStart& slice) const {
    if (header.key) {
        return true;
    }
    if (!m_lastPocLsb || !m_sps) {
        return false;
    }
    const uint32_t range = 1u << m_sps->pocLsbBits;
    const uint32_t step = std::min(kMaxPocStep, range / 4);
    const uint32_t ahead = (slice.pocLsb - *m_lastPocLsb) & (range - 1);
    return ahead != 0 && (ahead <= step || range - ahead <= step);
}

void HevcSyntax::Taken(const NalHeader&, const std::optional<SliceStart>& slice) {
    m_lastPocLsb = slice ? std::optional<uint32_t>(slice->pocLsb) : std::nullopt;
}
