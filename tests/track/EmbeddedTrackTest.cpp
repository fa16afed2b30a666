#include "track/EmbeddedTrack.h"
#include "track/CGSampleStore.h"
#include "track/CMapTrackStore.h"
#include "track/CMemMapFile.h"
#include "track/CSpeedDialModel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <unistd.h>
#include <vector>

namespace {

constexpr uint64_t MiB = 1 << 20;

struct BlockFields {
    char status = 'A';
    float latitude = 5930.0f;
    char ns = 'N';
    float longitude = 1800.0f;
    char ew = 'E';
    float speed = 0.0f;
    float course = 0.0f;
    int8_t x = 0, y = 0, z = 0;
};

void PutFloat(std::vector<unsigned char>& bytes, uint64_t at, float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    for (int i = 0; i < 4; ++i) {
        bytes[at + i] = static_cast<unsigned char>(bits >> (8 * i));
    }
}

void PutBlock(std::vector<unsigned char>& bytes, uint64_t p, const BlockFields& f = {}) {
    std::memcpy(&bytes[p], "freeGPS", 7);
    bytes[p + 56] = static_cast<unsigned char>(f.status);
    PutFloat(bytes, p + 60, f.latitude);
    bytes[p + 64] = static_cast<unsigned char>(f.ns);
    PutFloat(bytes, p + 68, f.longitude);
    bytes[p + 72] = static_cast<unsigned char>(f.ew);
    PutFloat(bytes, p + 76, f.speed);
    PutFloat(bytes, p + 80, f.course);
    bytes[p + 96] = static_cast<unsigned char>(f.x);
    bytes[p + 100] = static_cast<unsigned char>(f.y);
    bytes[p + 104] = static_cast<unsigned char>(f.z);
}

std::vector<uint64_t> Offsets(const std::vector<unsigned char>& bytes) {
    std::vector<uint64_t> offsets;
    ScanFreeGpsBlocks(bytes.data(), bytes.size(),
                      [&](const FreeGpsBlock& block) { offsets.push_back(block.offset); });
    return offsets;
}

TEST(FreeGpsScan, FirstMebibyteIsNeverSearched) {
    std::vector<unsigned char> bytes(3 * MiB);
    PutBlock(bytes, MiB - 1);
    EXPECT_TRUE(Offsets(bytes).empty());
    PutBlock(bytes, MiB);
    EXPECT_EQ(Offsets(bytes), std::vector<uint64_t>{MiB});
}

TEST(FreeGpsScan, BlocksCloserThanTheJumpAreSkipped) {
    std::vector<unsigned char> bytes(4 * MiB);
    PutBlock(bytes, MiB + 10);
    PutBlock(bytes, MiB + 10 + 600000);
    PutBlock(bytes, MiB + 10 + MiB + 107); // one byte short of the jump
    PutBlock(bytes, MiB + 10 + 2 * (MiB + 108));
    EXPECT_EQ(Offsets(bytes), (std::vector<uint64_t>{MiB + 10, MiB + 10 + 2 * (MiB + 108)}));
}

TEST(FreeGpsScan, BlockMustEndBeforeTheLastByte) {
    std::vector<unsigned char> bytes(MiB + 108);
    PutBlock(bytes, MiB);
    EXPECT_TRUE(Offsets(bytes).empty()); // p + 108 equals the length
    bytes.push_back(0);
    EXPECT_EQ(Offsets(bytes).size(), 1u);
}

TEST(FreeGpsScan, FindsTheSameBlocksAsAByteByByteCompare) {
    // Markers cut short, repeated letters and near misses around real blocks.
    std::vector<unsigned char> bytes(6 * MiB, 'f');
    const char* decoys[] = {"freeGP", "ffreeGPfreeGP", "freeGPs", "FREEGPS"};
    uint64_t at = MiB - 3;
    for (int round = 0; round < 200; ++round) {
        const char* decoy = decoys[round % 4];
        std::memcpy(&bytes[at], decoy, std::strlen(decoy));
        at += 7919;
    }
    PutBlock(bytes, 2 * MiB + 5);
    PutBlock(bytes, 4 * MiB + 1);
    std::vector<uint64_t> expected;
    for (uint64_t p = MiB; p < bytes.size();) {
        if (p + 108 < bytes.size() && std::memcmp(&bytes[p], "freeGPS", 7) == 0) {
            expected.push_back(p);
            p += MiB + 108;
        } else {
            ++p;
        }
    }
    EXPECT_EQ(Offsets(bytes), expected);
    EXPECT_EQ(expected.size(), 2u);
}

TEST(FreeGpsScan, SearchingOnlyTheDataStretchesFindsTheSameBlocks) {
    std::vector<unsigned char> bytes(5 * MiB);
    PutBlock(bytes, MiB + 4096);
    PutBlock(bytes, 3 * MiB);
    const std::vector<uint64_t> everywhere = Offsets(bytes);
    std::vector<uint64_t> stretched;
    const std::vector<FileExtent> extents{
        {0, 4096}, {MiB, MiB + 8192}, {3 * MiB - 3, 3 * MiB + 200}};
    ScanFreeGpsBlocks(
        bytes.data(), bytes.size(),
        [&](const FreeGpsBlock& block) { stretched.push_back(block.offset); }, extents);
    EXPECT_EQ(stretched, everywhere);
    EXPECT_EQ(stretched.size(), 2u);

    std::vector<uint64_t> none;
    ScanFreeGpsBlocks(bytes.data(), bytes.size(),
                      [&](const FreeGpsBlock& block) { none.push_back(block.offset); }, {{0, 0}});
    EXPECT_TRUE(none.empty());
}

TEST(FreeGpsDecode, PositionsFromNmeaFormValues) {
    std::vector<unsigned char> bytes(2 * MiB);
    PutBlock(bytes, MiB, {.latitude = 1230.5f, .ns = 'S', .longitude = 4500.25f, .ew = 'W'});
    const FreeGpsBlock block = DecodeFreeGpsBlock(&bytes[MiB], MiB);
    EXPECT_DOUBLE_EQ(block.latitude, -(12 + 30.5 / 60));
    EXPECT_DOUBLE_EQ(block.longitude, -(45 + 0.25 / 60));
    EXPECT_DOUBLE_EQ(DegreesFromNmeaValue(530.5, 2), 5 + 30.5 / 60);
    EXPECT_DOUBLE_EQ(DegreesFromNmeaValue(1230.5, 2), 12 + 30.5 / 60);
}

TEST(FreeGpsDecode, DamagedValuesDecodeWithoutHarm) {
    EXPECT_EQ(DegreesFromNmeaValue(std::nan(""), 2), 0.0);
    EXPECT_TRUE(std::isfinite(DegreesFromNmeaValue(3.4e38, 3)));
    EXPECT_TRUE(std::isfinite(DegreesFromNmeaValue(-1230.5, 2)));
}

class EmbeddedTrackFile : public ::testing::Test {
protected:
    void SetUp() override {
        store.SetSpeedDial(&dial);
        path = std::filesystem::temp_directory_path() /
               ("ostvik-embedded-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
    }
    void TearDown() override { std::filesystem::remove(path); }
    void Write(const std::vector<unsigned char>& bytes) {
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
    }
    bool Load() { return LoadEmbeddedTrack(path.string(), {store, chart, dial}); }

    CMapTrackStore store;
    CGSampleStore chart;
    CSpeedDialModel dial;
    std::filesystem::path path;
};

TEST_F(EmbeddedTrackFile, EachBlockIsOneSecondInAllThreeStores) {
    std::vector<unsigned char> bytes(4 * MiB);
    PutBlock(bytes, MiB, {.speed = 42.9f, .course = 359.99f, .x = -64, .y = 32, .z = 64});
    PutBlock(bytes, 2 * MiB + 200, {.status = 'V', .latitude = 5931.0f});
    Write(bytes);
    store.PutEntry(9, 1, 1, 'A');
    chart.AddTrackLine("T:9000 X:1 Y:1 Z:1 G:1");
    dial.SetSpeedRecord(9, 1, 1);

    EXPECT_TRUE(Load());
    ASSERT_EQ(store.size(), 2u);
    EXPECT_EQ(store.m_fixStatus[0], 'A');
    EXPECT_EQ(store.m_fixStatus[1], 'V');
    EXPECT_DOUBLE_EQ(store.m_latitudes[0], 59.5);
    EXPECT_DOUBLE_EQ(store.m_longitudes[0], 18.0);
    EXPECT_EQ(store.m_nLastShown, -1);

    ASSERT_EQ(chart.m_samples.size(), 2u);
    EXPECT_EQ(chart.m_samples[0].x, -1.0f);
    EXPECT_EQ(chart.m_samples[0].y, 0.5f);
    EXPECT_EQ(chart.m_samples[0].z, 1.0f);
    EXPECT_EQ(chart.m_nScale, 1u);

    ASSERT_EQ(dial.m_records.size(), 2u);
    EXPECT_EQ(dial.Find(0)->speed, 42);
    EXPECT_EQ(dial.Find(0)->heading, 359);
}

TEST_F(EmbeddedTrackFile, SparseClipGivesTheBlocksBetweenItsHoles) {
    std::vector<unsigned char> block(4096);
    PutBlock(block, 100, {.speed = 30.0f});
    {
        std::ofstream file(path, std::ios::binary);
        for (uint64_t at : {MiB, 3 * MiB, 5 * MiB}) {
            file.seekp(static_cast<std::streamoff>(at));
            file.write(reinterpret_cast<const char*>(block.data()),
                       static_cast<std::streamsize>(block.size()));
        }
        file.seekp(static_cast<std::streamoff>(7 * MiB));
        file.put('\0');
    }
    CMemMapFile mapped;
    ASSERT_TRUE(mapped.Map(path.string()));
    const std::vector<FileExtent> extents = mapped.DataExtents();
    ASSERT_FALSE(extents.empty());
    EXPECT_LE(extents.front().begin, MiB + 100);
    mapped.Unmap();

    EXPECT_TRUE(Load());
    EXPECT_EQ(store.size(), 3u);
    EXPECT_EQ(dial.Find(2)->speed, 30);
}

TEST_F(EmbeddedTrackFile, BlocksWithoutFixStillFillTheStores) {
    std::vector<unsigned char> bytes(3 * MiB);
    PutBlock(bytes, MiB, {.status = 'V', .speed = 12.0f});
    Write(bytes);
    EXPECT_FALSE(Load());
    EXPECT_EQ(store.size(), 1u);
    EXPECT_EQ(dial.Find(0)->speed, 12);
}

TEST_F(EmbeddedTrackFile, UnreadableOrShortClipsGiveEmptyStores) {
    store.PutEntry(3, 1, 1, 'A');
    EXPECT_FALSE(Load()); // no file at all
    EXPECT_EQ(store.size(), 0u);
    EXPECT_EQ(chart.m_samples.size(), 1u);
    EXPECT_EQ(chart.m_nScale, 1u);

    Write({});
    EXPECT_FALSE(Load());
    Write(std::vector<unsigned char>(MiB + 108));
    EXPECT_FALSE(Load());
}

TEST(MemMapFile, MapsFromAnUnalignedOffsetAndReportsFailures) {
    const auto path =
        std::filesystem::temp_directory_path() / ("ostvik-mmap-" + std::to_string(::getpid()));
    std::ofstream(path, std::ios::binary) << std::string(10000, 'a') << "marker";
    CMemMapFile file;
    ASSERT_TRUE(file.Map(path.string(), false, 10000));
    EXPECT_EQ(file.Length(), 6u);
    EXPECT_EQ(file.FileLength(), 10006u);
    const unsigned char* bytes = file.Lock();
    ASSERT_NE(bytes, nullptr);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes), 6), "marker");
    file.Unlock();
    file.Unmap();
    EXPECT_EQ(file.Lock(), nullptr);
    EXPECT_EQ(file.LastError(), EINVAL);
    EXPECT_FALSE(file.Map((path / "not-a-folder").string()));
    EXPECT_EQ(file.LastError(), ENOTDIR);
    std::filesystem::remove(path);
    EXPECT_FALSE(file.Map(path.string()));
    EXPECT_EQ(file.LastError(), ENOENT);
}

} // namespace
