// Reads an H.264 or H.265 parameter set (or the start of an AAC frame) bit by bit, as its
// syntax is written: fixed-width fields and Exp-Golomb codes, most significant bit first. Reading
// past the end gives zeros and sets a flag, so a damaged set is refused once at the end instead of
// checked at every field.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

class BitReader {
public:
    explicit BitReader(std::span<const unsigned char> bytes) : m_bytes(bytes) {}

    uint32_t Bits(int count) {
        uint32_t value = 0;
        for (int i = 0; i < count; ++i) {
            value = value << 1 | Bit();
        }
        return value;
    }

    void Skip(size_t count) {
        for (size_t i = 0; i < count && !m_overrun; ++i) {
            Bit();
        }
    }

    // On to the next byte boundary.
    void Align() { Skip((8 - m_at % 8) % 8); }

    // An unsigned Exp-Golomb code; more than 31 leading zeros is no valid code.
    uint32_t Ue() {
        int zeros = 0;
        while (Bit() == 0) {
            if (++zeros > 31 || m_overrun) {
                m_overrun = true;
                return 0;
            }
        }
        return static_cast<uint32_t>((uint64_t{1} << zeros) - 1 + Bits(zeros));
    }

    int32_t Se() {
        const uint32_t code = Ue();
        const int32_t magnitude = static_cast<int32_t>((code + 1) / 2);
        return code % 2 == 1 ? magnitude : -magnitude;
    }

    bool Overrun() const { return m_overrun; }

private:
    uint32_t Bit() {
        if (m_at >= m_bytes.size() * 8) {
            m_overrun = true;
            return 0;
        }
        const uint32_t bit = m_bytes[m_at / 8] >> (7 - m_at % 8) & 1;
        ++m_at;
        return bit;
    }

    std::span<const unsigned char> m_bytes;
    size_t m_at = 0;
    bool m_overrun = false;
};

// A NAL unit's payload without the emulation prevention bytes (00 00 03 -> 00 00), which
// an encoder inserts and a bit reader must not see.
inline std::vector<unsigned char> UnescapedPayload(std::span<const unsigned char> nal) {
    std::vector<unsigned char> out;
    out.reserve(nal.size());
    int zeros = 0;
    for (unsigned char byte : nal) {
        if (zeros >= 2 && byte == 3) {
            zeros = 0;
            continue;
        }
        zeros = byte == 0 ? zeros + 1 : 0;
        out.push_back(byte);
    }
    return out;
}
