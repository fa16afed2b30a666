// Builds MP4 boxes in memory, big-endian as the format stores its integers; a box's size
// is filled in when it is closed, so nested boxes are written in one pass.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

class BoxWriter {
public:
    void Open(std::string_view type) {
        m_open.push_back(m_bytes.size());
        U32(0);
        Bytes({reinterpret_cast<const unsigned char*>(type.data()), 4});
    }
    void OpenFull(std::string_view type, uint8_t version, uint32_t flags) {
        Open(type);
        U32(uint32_t{version} << 24 | flags);
    }
    void Close() {
        const size_t begin = m_open.back();
        m_open.pop_back();
        const uint64_t size = m_bytes.size() - begin;
        for (int i = 0; i < 4; ++i) {
            m_bytes[begin + i] = static_cast<unsigned char>(size >> (24 - 8 * i));
        }
    }

    void U8(uint8_t value) { m_bytes.push_back(value); }
    void U16(uint16_t value) { Number(value, 2); }
    void U32(uint32_t value) { Number(value, 4); }
    void U64(uint64_t value) { Number(value, 8); }
    void Zeros(size_t count) { m_bytes.insert(m_bytes.end(), count, 0); }
    void Bytes(std::span<const unsigned char> bytes) {
        m_bytes.insert(m_bytes.end(), bytes.begin(), bytes.end());
    }

    const std::vector<unsigned char>& Result() const { return m_bytes; }

private:
    void Number(uint64_t value, int count) {
        for (int i = count - 1; i >= 0; --i) {
            m_bytes.push_back(static_cast<unsigned char>(value >> (8 * i)));
        }
    }

    std::vector<unsigned char> m_bytes;
    std::vector<size_t> m_open;
};
