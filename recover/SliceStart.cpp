#include "recover/SliceStart.h"

#include "recover/BitReader.h"

std::optional<SliceStart> ReadSliceStart(std::span<const unsigned char> nal, const SpsFacts& sps) {
    if (nal.size() < 2) {
        return std::nullopt;
    }
    const std::vector<unsigned char> rbsp = UnescapedPayload(nal.subspan(1));
    BitReader bits(rbsp);
    bits.Ue(); // first_mb_in_slice
    SliceStart start;
    start.sliceType = bits.Ue();
    const uint32_t parameterSet = bits.Ue();
    if (sps.separatePlanes) {
        bits.Bits(2);
    }
    start.frameNum = bits.Bits(static_cast<int>(sps.frameNumBits));
    if (!sps.frameMbsOnly && bits.Bits(1) == 1) {
        bits.Bits(1); // a field picture, and which field
    }
    if ((nal[0] & 0x1F) == 5) {
        bits.Ue(); // idr_pic_id
    }
    if (sps.pocType == 0) {
        start.hasPocLsb = true;
        start.pocLsb = bits.Bits(static_cast<int>(sps.pocLsbBits));
    }
    if (bits.Overrun() || start.sliceType > 9 || parameterSet > 255) {
        return std::nullopt;
    }
    start.sliceType %= 5;
    return start;
}
