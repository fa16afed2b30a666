// H.265's answers to the walk's questions: NAL units of a two-byte header (type, layer 0,
// temporal id), key frames at IRAP pictures, and pictures placed by the low bits of their
// picture order count, read with the stream's SPS and PPS.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>

#include "recover/HevcSetFacts.h"
#include "recover/HevcSpsFacts.h"
#include "recover/NalSyntax.h"

class HevcSyntax : public NalSyntax {
public:
    // `sps` and `pps` (NAL header first) are the stream's when known beforehand, from a
    // template.
    HevcSyntax(std::span<const unsigned char> sps = {}, std::span<const unsigned char> pps = {});

    std::string_view Name() const override { return "H.265"; }
    size_t HeaderLength() const override { return 2; }
    size_t DelimiterLength() const override { return 3; }
    NalHeader Classify(std::span<const unsigned char> start) const override;
    bool Reads(NalKind kind, std::span<const unsigned char> nal) const override;
    void Learn(NalKind kind, std::span<const unsigned char> nal) override;
    bool KnowsSlices() const override { return m_sps && m_knowsPps; }
    uint64_t PicturePoints() const override {
        return m_sps ? uint64_t{m_sps->width} * m_sps->height : 0;
    }
    std::optional<SliceStart> ReadSlice(const NalHeader& header,
                                        std::span<const unsigned char> nal) const override;
    bool Continues(const NalHeader& header, const SliceStart& slice) const override;
    void Taken(const NalHeader& header, const std::optional<SliceStart>& slice) override;

private:
    std::optional<HevcSpsFacts> m_sps;
    // By their id, which each slice names: a camera may write more than one.
    std::array<std::optional<HevcPpsFacts>, 64> m_pps;
    bool m_knowsPps = false;
    // The order count's low bits of the last picture taken, once one has been.
    std::optional<uint32_t> m_lastPocLsb;
};
