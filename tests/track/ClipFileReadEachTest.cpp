// Many ranges of a clip file read at once give the same bytes as reading them one by one,
// whether the kernel's batch reads or the file's own reads serve them.
#include "track/ClipFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr uint64_t kLength = 300000;

unsigned char PatternByte(uint64_t at) {
    return static_cast<unsigned char>(at * 131 + at / 256);
}

class ClipFileReadEach : public ::testing::Test {
protected:
    void SetUp() override {
        path = std::filesystem::temp_directory_path() /
               ("ostvik-readeach-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::string bytes(kLength, '\0');
        for (uint64_t i = 0; i < kLength; ++i) {
            bytes[i] = static_cast<char>(PatternByte(i));
        }
        std::ofstream(path, std::ios::binary) << bytes;
        ASSERT_TRUE(file.Open(path.string()));
    }
    void TearDown() override { std::filesystem::remove(path); }

    // Ranges in the order an index may give them: more than one batch of small blocks,
    // repeats, one too large to batch, and some at or past the end.
    static std::vector<ByteRange> Ranges() {
        std::vector<ByteRange> ranges;
        for (uint64_t k = 0; k < 600; ++k) {
            ranges.push_back({(k * 7919) % kLength, 112});
        }
        ranges.push_back({ranges[3].offset, 112});
        ranges.push_back({5, 0});
        ranges.push_back({1000, 100000});
        ranges.push_back({kLength - 50, 112});
        ranges.push_back({kLength, 10});
        ranges.push_back({kLength + 4096, 112});
        return ranges;
    }

    // What the file holds there when it is `length` bytes long.
    static std::vector<unsigned char> Expected(const ByteRange& range, uint64_t length) {
        std::vector<unsigned char> bytes;
        for (uint64_t at = range.offset; at < std::min(range.offset + range.count, length); ++at) {
            bytes.push_back(PatternByte(at));
        }
        return bytes;
    }

    void ExpectEachRangeHolds(uint64_t length) {
        const std::vector<ByteRange> ranges = Ranges();
        std::vector<size_t> order;
        file.ReadEach(ranges, [&](size_t i, std::span<const unsigned char> bytes) {
            order.push_back(i);
            ASSERT_LT(i, ranges.size());
            EXPECT_EQ(std::vector<unsigned char>(bytes.begin(), bytes.end()),
                      Expected(ranges[i], length))
                << "range " << i << " at " << ranges[i].offset;
        });
        ASSERT_EQ(order.size(), ranges.size());
        EXPECT_TRUE(std::is_sorted(order.begin(), order.end()));
    }

    std::filesystem::path path;
    ClipFile file;
};

TEST_F(ClipFileReadEach, EveryRangeGetsTheFilesBytesInOrder) {
    ExpectEachRangeHolds(kLength);
    // A second call reuses what the first set up.
    ExpectEachRangeHolds(kLength);
}

TEST_F(ClipFileReadEach, AFileCutAfterOpeningGivesShortRangesNotStaleBytes) {
    std::filesystem::resize_file(path, kLength / 2);
    ExpectEachRangeHolds(kLength / 2);
}

TEST_F(ClipFileReadEach, AClosedFileGivesNothing) {
    file.Close();
    size_t calls = 0;
    file.ReadEach(Ranges(), [&](size_t, std::span<const unsigned char> bytes) {
        EXPECT_TRUE(bytes.empty());
        ++calls;
    });
    EXPECT_EQ(calls, Ranges().size());
}

} // namespace
