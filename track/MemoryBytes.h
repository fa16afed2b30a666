// Bytes already in memory seen as a ByteSource, without copying them: for the scanners'
// tests, fuzz targets and benchmarks, and for callers that hold a clip's bytes already.
#pragma once

#include <algorithm>

#include "track/ByteSource.h"

class MemoryBytes : public ByteSource {
public:
    MemoryBytes(const unsigned char* data, uint64_t length, std::vector<FileExtent> extents = {})
        : m_data(data), m_length(length), m_extents(std::move(extents)) {}

    uint64_t Length() const override { return m_length; }

    std::span<const unsigned char> Read(uint64_t offset, size_t count) override {
        if (offset >= m_length) {
            return {};
        }
        return {m_data + offset, static_cast<size_t>(std::min<uint64_t>(count, m_length - offset))};
    }

    std::unique_ptr<ByteSource> Twin() override {
        return std::make_unique<MemoryBytes>(m_data, m_length, m_extents);
    }
    std::vector<FileExtent> DataExtents() override {
        return m_extents.empty() ? ByteSource::DataExtents() : m_extents;
    }

private:
    const unsigned char* m_data;
    uint64_t m_length;
    std::vector<FileExtent> m_extents;
};
