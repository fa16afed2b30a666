// H.264's answers to the walk's questions: NAL units of a one-byte header, whose type and
// reference flag must agree; pictures numbered by frame_num, read with the stream's SPS.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "recover/NalSyntax.h"
#include "recover/SpsFacts.h"

class AvcSyntax : public NalSyntax {
public:
    // `sps` (NAL header first) is the stream's SPS when known beforehand, from a template.
    explicit AvcSyntax(std::span<const unsigned char> sps = {});

    std::string_view Name() const override { return "H.264"; }
    size_t HeaderLength() const override { return 1; }
    size_t DelimiterLength() const override { return 2; }
    NalHeader Classify(std::span<const unsigned char> start) const override;
    bool Reads(NalKind kind, std::span<const unsigned char> nal) const override;
    void Learn(NalKind kind, std::span<const unsigned char> nal) override;
    bool KnowsSlices() const override { return m_sps.has_value(); }
    uint64_t PicturePoints() const override {
        return m_sps ? uint64_t{m_sps->width} * m_sps->height : 0;
    }
    std::optional<SliceStart> ReadSlice(const NalHeader& header,
                                        std::span<const unsigned char> nal) const override;
    bool Continues(const NalHeader& header, const SliceStart& slice) const override;
    void Taken(const NalHeader& header, const std::optional<SliceStart>& slice) override;

private:
    std::optional<SpsFacts> m_sps;
    // frame_num of the last reference picture, once one has been taken.
    std::optional<uint32_t> m_lastReference;
};
