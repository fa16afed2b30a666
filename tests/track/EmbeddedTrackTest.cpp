#include "track/EmbeddedTrack.h"
#include "track/CGSampleStore.h"
#include "track/CMapTrackStore.h"
#include "track/CSpeedDialModel.h"
#include "track/ClipFile.h"
#include "track/ClipTrackLoader.h"
#include "track/MemoryBytes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <thread>
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
    MemoryBytes source(bytes.data(), bytes.size());
    ScanFreeGpsBlocks(source, [&](const FreeGpsBlock& block) { offsets.push_back(block.offset); });
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
    MemoryBytes stretches(bytes.data(), bytes.size(),
                          {{0, 4096}, {MiB, MiB + 8192}, {3 * MiB - 3, 3 * MiB + 200}});
    ScanFreeGpsBlocks(stretches,
                      [&](const FreeGpsBlock& block) { stretched.push_back(block.offset); });
    EXPECT_EQ(stretched, everywhere);
    EXPECT_EQ(stretched.size(), 2u);

    std::vector<uint64_t> none;
    MemoryBytes allHoles(bytes.data(), bytes.size(), {{0, 0}});
    ScanFreeGpsBlocks(allHoles, [&](const FreeGpsBlock& block) { none.push_back(block.offset); });
    EXPECT_TRUE(none.empty());
}

TEST(FreeGpsScan, BlockAcrossAReadBoundaryIsFound) {
    // The first read covers candidates from 1 MiB to 1 MiB + kScanChunkLength: put one
    // marker across that edge and one block whose fields lie past it.
    std::vector<unsigned char> bytes(4 * MiB);
    const uint64_t edge = MiB + kScanChunkLength;
    PutBlock(bytes, edge - 3, {.speed = 77.0f});
    PutBlock(bytes, edge - 3 + MiB + 108 + kScanChunkLength - 50, {.speed = 88.0f});
    std::vector<float> speeds;
    MemoryBytes source(bytes.data(), bytes.size());
    ScanFreeGpsBlocks(source, [&](const FreeGpsBlock& block) { speeds.push_back(block.speed); });
    EXPECT_EQ(speeds, (std::vector<float>{77.0f, 88.0f}));
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
    // Printed "-005.5000": degrees "-0", minutes "05.5000"; the sign comes from the
    // hemisphere letter, never from the value.
    EXPECT_DOUBLE_EQ(DegreesFromNmeaValue(-5.5, 2), 5.5 / 60);
    // "-1230.5000": degrees "-1", minutes "230.5000".
    EXPECT_DOUBLE_EQ(DegreesFromNmeaValue(-1230.5, 2), -1 + 230.5 / 60);
    EXPECT_EQ(DegreesFromNmeaValue(std::numeric_limits<double>::infinity(), 3), 0.0);
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
    bool Load() {
        TrackSourceOutcome outcome{.path = path.string()};
        const bool fix = LoadEmbeddedTrack(path.string(), {store, chart, dial}, outcome);
        why = outcome.why;
        return fix;
    }

    CMapTrackStore store;
    CGSampleStore chart;
    CSpeedDialModel dial;
    std::filesystem::path path;
    std::string why;
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
    ClipFile opened;
    ASSERT_TRUE(opened.Open(path.string()));
    const std::vector<FileExtent> extents = opened.DataExtents();
    ASSERT_FALSE(extents.empty());
    EXPECT_LE(extents.front().begin, MiB + 100);
    opened.Close();

    EXPECT_TRUE(Load());
    EXPECT_EQ(store.size(), 3u);
    EXPECT_EQ(dial.Find(2)->speed, 30);
}

TEST_F(EmbeddedTrackFile, BlocksWithoutFixStillFillTheStores) {
    std::vector<unsigned char> bytes(3 * MiB);
    PutBlock(bytes, MiB, {.status = 'V', .speed = 12.0f});
    Write(bytes);
    EXPECT_FALSE(Load());
    EXPECT_EQ(why, "1 GPS block without a valid fix");
    EXPECT_EQ(store.size(), 1u);
    EXPECT_EQ(dial.Find(0)->speed, 12);
}

TEST_F(EmbeddedTrackFile, UnreadableOrShortClipsGiveEmptyStores) {
    store.PutEntry(3, 1, 1, 'A');
    EXPECT_FALSE(Load()); // no file at all
    EXPECT_EQ(why, "cannot open the clip: No such file or directory");
    EXPECT_EQ(store.size(), 0u);
    EXPECT_EQ(chart.m_samples.size(), 1u);
    EXPECT_EQ(chart.m_nScale, 1u);

    Write({});
    EXPECT_FALSE(Load());
    Write(std::vector<unsigned char>(MiB + 108));
    EXPECT_FALSE(Load());
}

// Cuts the file down to `cutAt` bytes from another thread right after its first read, the
// way a pulled card or a camera rewriting its loop recording would, between two reads.
class ClipFileCutAfterFirstRead : public ClipFile {
public:
    ClipFileCutAfterFirstRead(std::filesystem::path path, uint64_t cutAt)
        : m_path(std::move(path)), m_cutAt(cutAt) {}
    std::span<const unsigned char> Read(uint64_t offset, size_t count) override {
        const std::span<const unsigned char> bytes = ClipFile::Read(offset, count);
        if (!m_cut) {
            m_cut = true;
            std::thread([this] { std::filesystem::resize_file(m_path, m_cutAt); }).join();
        }
        return bytes;
    }

private:
    std::filesystem::path m_path;
    uint64_t m_cutAt;
    bool m_cut = false;
};

TEST_F(EmbeddedTrackFile, FileCutDuringTheScanKeepsTheBlocksBeforeTheCut) {
    std::vector<unsigned char> bytes(8 * MiB);
    const uint64_t spacing = MiB + 4096;
    for (int k = 0; k < 6; ++k) {
        PutBlock(bytes, MiB + k * spacing, {.speed = 10.0f + k});
    }
    Write(bytes);
    // Cut in the middle of the fourth block: the first three are whole.
    ClipFileCutAfterFirstRead file(path, MiB + 3 * spacing + 50);
    ASSERT_TRUE(file.Open(path.string()));
    std::vector<float> speeds;
    ScanFreeGpsBlocks(file, [&](const FreeGpsBlock& block) { speeds.push_back(block.speed); });
    EXPECT_EQ(speeds, (std::vector<float>{10.0f, 11.0f, 12.0f}));

    // A file that is gone before the reads begin gives nothing, and no signal.
    Write(bytes);
    ClipFileCutAfterFirstRead vanished(path, 0);
    ASSERT_TRUE(vanished.Open(path.string()));
    std::filesystem::resize_file(path, 0);
    speeds.clear();
    ScanFreeGpsBlocks(vanished, [&](const FreeGpsBlock& block) { speeds.push_back(block.speed); });
    EXPECT_TRUE(speeds.empty());
}

TEST(ClipFileRead, ShortReadsAndOpenFailures) {
    const auto path =
        std::filesystem::temp_directory_path() / ("ostvik-clipfile-" + std::to_string(::getpid()));
    std::ofstream(path, std::ios::binary) << std::string(10000, 'a') << "marker";
    ClipFile file;
    ASSERT_TRUE(file.Open(path.string()));
    EXPECT_EQ(file.Length(), 10006u);
    const std::span<const unsigned char> tail = file.Read(10000, 100);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(tail.data()), tail.size()), "marker");
    EXPECT_TRUE(file.Read(10006, 1).empty());
    std::filesystem::resize_file(path, 10002);
    EXPECT_EQ(file.Read(10000, 6).size(), 2u);
    file.Close();
    EXPECT_TRUE(file.Read(0, 1).empty());

    EXPECT_FALSE(file.Open((path / "not-a-folder").string()));
    EXPECT_EQ(file.LastError(), ENOTDIR);
    EXPECT_FALSE(file.Open(path.parent_path().string()));
    EXPECT_EQ(file.LastError(), EINVAL);
    std::filesystem::remove(path);
    EXPECT_FALSE(file.Open(path.string()));
    EXPECT_EQ(file.LastError(), ENOENT);
}

} // namespace
