// A long clip searched in parts at once gives the blocks one pass from the start gives,
// wherever the parts' edges fall among the blocks.
#include "track/ClipFile.h"
#include "track/FreeGpsScan.h"
#include "track/MemoryBytes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <unistd.h>
#include <vector>

namespace {

constexpr uint64_t MiB = 1u << 20;

// The rule applied a byte at a time over the whole clip, holes or not.
std::vector<uint64_t> OnePass(const std::vector<unsigned char>& bytes) {
    std::vector<uint64_t> offsets;
    for (uint64_t p = MiB; p + 7 <= bytes.size();) {
        if (std::memcmp(&bytes[p], "freeGPS", 7) != 0) {
            ++p;
            continue;
        }
        if (p + 108 >= bytes.size()) {
            break;
        }
        offsets.push_back(p);
        p += MiB + 108;
    }
    return offsets;
}

std::vector<uint64_t> Scanned(ByteSource& source, unsigned parts) {
    std::vector<uint64_t> offsets;
    ScanFreeGpsBlocks(
        source, [&](const FreeGpsBlock& block) { offsets.push_back(block.offset); }, parts);
    return offsets;
}

// A clip of random bytes with markers at uneven spacing: mostly a little over the jump,
// some runs closer than it (the pass skips some of those, and a part that starts among
// them takes others first), and long gaps.
std::vector<unsigned char> UnevenClip(uint64_t length, unsigned seed) {
    std::vector<unsigned char> bytes(length);
    std::mt19937 random(seed);
    // Eight bytes from each draw of a plain xorshift: the standard engine's calls are not
    // inlined where another test file, built unoptimised, shares their instances.
    uint64_t state = random() | 1;
    unsigned char* byte = bytes.data();
    for (uint64_t left = length; left > 0;) {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        for (uint64_t word = state, k = 0; k < 8 && left > 0; ++k, --left, word >>= 8) {
            *byte++ = static_cast<unsigned char>((word & 0xFF) % 251);
        }
    }
    std::uniform_int_distribution<uint64_t> step(MiB / 5, 5 * MiB / 2);
    for (uint64_t at = MiB + random() % 4096; at + 200 < length; at += step(random)) {
        std::memcpy(&bytes[at], "freeGPS", 7);
    }
    return bytes;
}

TEST(FreeGpsScanParts, EveryCountOfPartsFindsWhatOnePassFinds) {
    for (const unsigned seed : {1u, 2u, 3u}) {
        const std::vector<unsigned char> bytes = UnevenClip(4 * kScanPartLength + 12345, seed);
        const std::vector<uint64_t> expected = OnePass(bytes);
        ASSERT_GT(expected.size(), 40u);
        MemoryBytes source(bytes.data(), bytes.size());
        for (const unsigned parts : {1u, 2u, 3u, 4u}) {
            EXPECT_EQ(Scanned(source, parts), expected) << "seed " << seed << ", " << parts;
        }
    }
}

TEST(FreeGpsScanParts, PartsFollowTheDataBetweenHoles) {
    // Data only in stretches, the rest holes of zeros: the parts share the data, so an
    // edge falls inside a stretch, and the holes between parts hold nothing to find.
    std::vector<unsigned char> bytes = UnevenClip(5 * kScanPartLength, 4);
    std::vector<FileExtent> stretches;
    for (uint64_t at = 0; at < bytes.size(); at += 7 * MiB) {
        const uint64_t end = std::min<uint64_t>(at + 5 * MiB, bytes.size());
        stretches.push_back({at, end});
        std::fill(bytes.begin() + static_cast<long>(end),
                  bytes.begin() + static_cast<long>(std::min<uint64_t>(at + 7 * MiB, bytes.size())),
                  0);
    }
    const std::vector<uint64_t> expected = OnePass(bytes);
    MemoryBytes source(bytes.data(), bytes.size(), stretches);
    EXPECT_EQ(Scanned(source, 4), expected);
    EXPECT_EQ(Scanned(source, 2), expected);
}

// The bytes of a clip whose card fails in some stretches: a read that reaches one gives
// what lies before it, as a read that ends on EIO does, and its twins fail alike.
class FailingBytes : public MemoryBytes {
public:
    FailingBytes(const std::vector<unsigned char>& bytes, std::vector<FileExtent> bad)
        : MemoryBytes(bytes.data(), bytes.size()), m_bytes(bytes), m_bad(std::move(bad)) {}

    std::span<const unsigned char> Read(uint64_t offset, size_t count) override {
        for (const FileExtent& bad : m_bad) {
            if (offset < bad.end && offset + count > bad.begin) {
                count = offset < bad.begin ? static_cast<size_t>(bad.begin - offset) : 0;
            }
        }
        return MemoryBytes::Read(offset, count);
    }
    std::unique_ptr<ByteSource> Twin() override {
        return std::make_unique<FailingBytes>(m_bytes, m_bad);
    }

private:
    const std::vector<unsigned char>& m_bytes;
    std::vector<FileExtent> m_bad;
};

TEST(FreeGpsScanParts, ReadErrorsWhereThePassJumpsEndNoPart) {
    // Markers a little more than the jump apart, so the pass takes each of them and never
    // reads most of the stretch after one (it reads at most a chunk and a block past each
    // marker): there the card fails. A part that starts before or inside such a stretch
    // meets the failure before any marker.
    constexpr uint64_t kSpacing = kJumpAfterBlock + 1000;
    std::vector<unsigned char> bytes(4 * kScanPartLength + 12345, 0x55);
    std::vector<uint64_t> markers;
    std::vector<FileExtent> bad;
    for (uint64_t at = MiB + 100; at + kSpacing < bytes.size(); at += kSpacing) {
        std::memcpy(&bytes[at], "freeGPS", 7);
        markers.push_back(at);
        bad.push_back({at + kScanChunkLength + 4096, at + MiB});
    }
    FailingBytes source(bytes, bad);
    for (const unsigned parts : {1u, 2u, 3u, 4u}) {
        EXPECT_EQ(Scanned(source, parts), markers) << parts << " parts";
    }
}

TEST(FreeGpsScanParts, AClipFileIsSearchedInPartsThroughItsTwins) {
    const std::vector<unsigned char> bytes = UnevenClip(2 * kScanPartLength + MiB, 5);
    const auto path =
        std::filesystem::temp_directory_path() / ("ostvik-scanparts-" + std::to_string(::getpid()));
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<long>(bytes.size()));
    ClipFile file;
    ASSERT_TRUE(file.Open(path.string()));
    std::filesystem::remove(path); // the twins read the open file, not the path
    EXPECT_EQ(Scanned(file, 2), OnePass(bytes));
}

} // namespace
