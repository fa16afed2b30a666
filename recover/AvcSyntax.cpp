#include "recover/AvcSyntax.h"

namespace {

// The NAL unit types a camera's H.264 stream holds, with the reference flag each must have:
// IDR slices and parameter sets are always referenced, SEI and delimiters never.
NalKind KindOf(uint8_t header) {
    if ((header & 0x80) != 0) {
        return NalKind::Damage;
    }
    const bool referenced = (header & 0x60) != 0;
    switch (header & 0x1F) {
    case 1:
        return NalKind::Slice;
    case 5:
        return referenced ? NalKind::Slice : NalKind::Damage;
    case 7:
        return referenced ? NalKind::Sps : NalKind::Damage;
    case 8:
        return referenced ? NalKind::Pps : NalKind::Damage;
    case 6:
        return referenced ? NalKind::Damage : NalKind::Sei;
    case 9:
        return referenced ? NalKind::Damage : NalKind::Delimiter;
    case 10:
    case 11:
    case 12:
        return referenced ? NalKind::Damage : NalKind::Trailing;
    default:
        return NalKind::Damage;
    }
}

} // namespace

AvcSyntax::AvcSyntax(std::span<const unsigned char> sps) {
    if (!sps.empty()) {
        m_sps = ReadSpsFacts(sps);
    }
}

NalHeader AvcSyntax::Classify(std::span<const unsigned char> start) const {
    NalHeader nal;
    if (start.empty()) {
        return nal;
    }
    nal.kind = KindOf(start[0]);
    if (nal.kind == NalKind::Slice) {
        if (start.size() < 2) {
            return {};
        }
        // first_mb_in_slice is 0 exactly when its Exp-Golomb code is the single bit 1.
        nal.firstSlice = (start[1] & 0x80) != 0;
        nal.key = (start[0] & 0x1F) == 5;
        nal.reference = (start[0] & 0x60) != 0;
        nal.ordersAnew = nal.key;
    }
    return nal;
}

bool AvcSyntax::Reads(NalKind kind, std::span<const unsigned char> nal) const {
    return kind != NalKind::Sps || ReadSpsFacts(nal).has_value();
}

void AvcSyntax::Learn(NalKind kind, std::span<const unsigned char> nal) {
    // The stream's own SPS is the truth, whatever a template says, when it can be read.
    if (kind == NalKind::Sps) {
        if (const std::optional<SpsFacts> facts = ReadSpsFacts(nal)) {
            m_sps = facts;
        }
    }
}

std::optional<SliceStart> AvcSyntax::ReadSlice(const NalHeader& header,
                                               std::span<const unsigned char> nal) const {
    if (!m_sps) {
        return std::nullopt;
    }
    const std::optional<SliceStart> slice = ReadSliceStart(nal, *m_sps);
    // An IDR picture is intra-coded and numbered 0.
    if (slice && header.key && (slice->sliceType != 2 || slice->frameNum != 0)) {
        return std::nullopt;
    }
    return slice;
}

// A picture's frame_num is one more than the last reference picture's, or 0 at an IDR: bytes
// of another kind seldom match it, and a picture after a lost reference would not decode.
bool AvcSyntax::Continues(const NalHeader& header, const SliceStart& slice) const {
    if (!m_lastReference || !m_sps) {
        return false;
    }
    const uint32_t expected = (*m_lastReference + 1) % (1u << m_sps->frameNumBits);
    return slice.frameNum == expected || header.key;
}

void AvcSyntax::Taken(const NalHeader& header, const std::optional<SliceStart>& slice) {
    if (header.reference) {
        m_lastReference = slice ? std::optional<uint32_t>(slice->frameNum) : std::nullopt;
    }
}
