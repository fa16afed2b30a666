// The freeGPS layouts of other cameras and the `gps ` index: clips made by our clip maker
// in each layout, loaded as the player loads them and checked against exiftool -ee (or,
// where exiftool 12.57 has no decoder, against the clip maker's own record of the drive).
#include "tests/support/ClipMaker.h"
#include "track/CGSampleStore.h"
#include "track/CMapTrackStore.h"
#include "track/CSpeedDialModel.h"
#include "track/CameraBlockLayouts.h"
#include "track/ClipTrackLoader.h"
#include "track/EmbeddedTrack.h"
#include "track/GpsIndex.h"
#include "track/MemoryBytes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

std::string Output(const std::string& command) {
    return Shell(command).out;
}

class CameraClip : public ::testing::Test {
protected:
    void SetUp() override { map.SetSpeedDial(&dial); }
    void TearDown() override {
        for (const std::string& path : made) {
            std::filesystem::remove(path);
        }
    }
    // A 6-second clip in the layout with its blocks 0x8000 apart: closer than the scan's
    // jump, so only the index can give every second.
    std::string Make(const std::string& layout, const std::string& extra = "--index") {
        const std::string base =
            ::testing::TempDir() + "ostvik-layout-" + std::to_string(::getpid()) + "-" + layout;
        const std::string clip = base + ".MP4";
        const std::string truth = base + ".csv";
        made.push_back(clip);
        made.push_back(truth);
        MakeClip(clip, "--seconds 6 --block-spacing 0x8000 --layout " + layout + " " + extra +
                           " --truth " + Quoted(truth));
        return clip;
    }
    bool Load(const std::string& clip) { return LoadEmbeddedTrack(clip, {map, chart, dial}); }
    std::vector<std::vector<double>> Exiftool(const std::string& clip) {
        return NumberRows(
            Output("exiftool -q -q -ee -n -p '$GPSLatitude,$GPSLongitude,$GPSSpeed' '" + clip +
                   "'"),
            ',');
    }
    std::vector<std::vector<double>> Truth(const std::string& clip) {
        // second,latitude,longitude,speed_kmh,course,x_raw,y_raw,z_raw,status
        return ReadTruth(clip.substr(0, clip.size() - 4) + ".csv");
    }
    void ExpectSameAsExiftool(const std::string& clip) {
        ASSERT_TRUE(Load(clip));
        const auto theirs = Exiftool(clip);
        ASSERT_EQ(theirs.size(), 6u);
        ASSERT_EQ(map.size(), 6u);
        for (size_t s = 0; s < theirs.size(); ++s) {
            ASSERT_EQ(theirs[s].size(), 3u);
            EXPECT_EQ(map.m_fixStatus[s], 'A');
            // Minutes are read to four decimals as the camera's readers print them.
            EXPECT_NEAR(map.m_latitudes[s], theirs[s][0], 2e-6) << "second " << s;
            EXPECT_NEAR(map.m_longitudes[s], theirs[s][1], 2e-6) << "second " << s;
            // The dial rounds km/h to 0.01 before truncating, whatever the source.
            EXPECT_EQ(dial.Find(static_cast<int>(s))->speed,
                      static_cast<int>(std::round(theirs[s][2] * 100) / 100))
                << "second " << s;
        }
    }

    CMapTrackStore map;
    CGSampleStore chart;
    CSpeedDialModel dial;
    std::vector<std::string> made;
};

TEST_F(CameraClip, PlainLayoutThroughTheIndexMatchesExiftool) {
    ExpectSameAsExiftool(Make("plain"));
    EXPECT_EQ(chart.m_samples.size(), 6u);
}

TEST_F(CameraClip, ViofoLayoutMatchesExiftoolWithItsAccelerations) {
    const std::string clip = Make("viofo");
    ExpectSameAsExiftool(clip);
    // The clip maker stores 1/64 g counts as 1/256 g: a count c reads c / 64 g, which the
    // track line carries to five decimals.
    const auto truth = Truth(clip);
    ASSERT_EQ(chart.m_samples.size(), 6u);
    for (size_t s = 0; s < 6; ++s) {
        EXPECT_NEAR(chart.m_samples[s].x, truth[s][5] / 64, 1e-5);
        EXPECT_NEAR(chart.m_samples[s].z, truth[s][7] / 64, 1e-5);
    }
}

TEST_F(CameraClip, NovatekAndVantrueLayoutsMatchExiftoolAndLeaveTheChartEmpty) {
    for (const char* layout : {"novatek", "vantrue"}) {
        SCOPED_TRACE(layout);
        ExpectSameAsExiftool(Make(layout));
        EXPECT_EQ(chart.m_samples.size(), 1u); // only the reset's own sample
    }
}

TEST_F(CameraClip, ViofoWithModelHeaderMatchesTheDrive) {
    // exiftool 12.57 has no decoder for this variant: the expected values are the clip
    // maker's record (decimal degrees from the stored DDMM floats, km/h before the
    // conversion to knots, which the float round trip may move by under 0.001).
    const std::string clip = Make("viofo-model");
    ASSERT_TRUE(Load(clip));
    const auto truth = Truth(clip);
    ASSERT_EQ(map.size(), 6u);
    for (size_t s = 0; s < 6; ++s) {
        EXPECT_NEAR(map.m_latitudes[s], truth[s][1], 2e-6);
        EXPECT_NEAR(map.m_longitudes[s], truth[s][2], 2e-6);
        EXPECT_NEAR(dial.Find(static_cast<int>(s))->speed, std::trunc(truth[s][3]), 1);
        EXPECT_EQ(dial.Find(static_cast<int>(s))->heading, static_cast<int>(truth[s][4]));
    }
}

TEST_F(CameraClip, WithoutTheIndexTheScanRuleStillHolds) {
    // Blocks 0x8000 apart: after each taken block the scan jumps 1 MiB + 108 bytes.
    ASSERT_TRUE(Load(Make("viofo", "")));
    EXPECT_EQ(map.size(), 1u);
}

// ---------------------------------------------------------------- hand-made clips

void Put32BE(std::vector<unsigned char>& bytes, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        bytes[at + i] = static_cast<unsigned char>(value >> (24 - 8 * i));
    }
}

void PutF32(std::vector<unsigned char>& bytes, size_t at, float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    for (int i = 0; i < 4; ++i) {
        bytes[at + i] = static_cast<unsigned char>(bits >> (8 * i));
    }
}

void Put32LE(std::vector<unsigned char>& bytes, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        bytes[at + i] = static_cast<unsigned char>(value >> (8 * i));
    }
}

// A Novatek (A119S) box at `at`: 12:34:56 on 2024-06-01, status, 5930.0 N 01800.0 E,
// `knots`.
void PutNovatekBox(std::vector<unsigned char>& bytes, size_t at, float knots, char status = 'A',
                   char ns = 'N', float latitude = 5930.0f) {
    Put32BE(bytes, at, 0x8000);
    std::memcpy(&bytes[at + 4], "freeGPS ", 8);
    const uint32_t fields[] = {12, 34, 56, 24, 6, 1};
    for (int i = 0; i < 6; ++i) {
        Put32LE(bytes, at + 0x30 + 4 * i, fields[i]);
    }
    bytes[at + 0x48] = static_cast<unsigned char>(status);
    bytes[at + 0x49] = static_cast<unsigned char>(ns);
    bytes[at + 0x4A] = 'E';
    PutF32(bytes, at + 0x4C, latitude);
    PutF32(bytes, at + 0x50, 1800.0f);
    PutF32(bytes, at + 0x54, knots);
}

// ftyp, then moov holding a `gps ` atom with the entries (count may claim more), then the
// rest of the file for the boxes.
std::vector<unsigned char> ClipWithIndex(const std::vector<std::pair<uint32_t, uint32_t>>& entries,
                                         uint32_t claimedCount, size_t length) {
    std::vector<unsigned char> bytes(length);
    Put32BE(bytes, 0, 16);
    std::memcpy(&bytes[4], "ftypisom", 8);
    const uint32_t gpsSize = 16 + 8 * static_cast<uint32_t>(entries.size());
    Put32BE(bytes, 16, 8 + gpsSize);
    std::memcpy(&bytes[20], "moov", 4);
    Put32BE(bytes, 24, gpsSize);
    std::memcpy(&bytes[28], "gps ", 4);
    Put32BE(bytes, 36, claimedCount);
    for (size_t i = 0; i < entries.size(); ++i) {
        Put32BE(bytes, 40 + 8 * i, entries[i].first);
        Put32BE(bytes, 44 + 8 * i, entries[i].second);
    }
    const size_t mdat = 24 + gpsSize;
    Put32BE(bytes, mdat, 0); // to the end of the file
    std::memcpy(&bytes[mdat + 4], "mdat", 4);
    return bytes;
}

std::vector<float> Speeds(std::vector<unsigned char>& bytes) {
    MemoryBytes source(bytes.data(), bytes.size());
    std::vector<float> speeds;
    for (const FreeGpsBlock& block : ReadEmbeddedBlocks(source).blocks) {
        speeds.push_back(std::round(block.speed / 1.852f));
    }
    return speeds;
}

constexpr uint32_t kFirst = 0x10000;
constexpr uint32_t kMiB = 1 << 20;

TEST(GpsIndexRead, OnlyTheIndexedBlocksAreTakenInIndexOrder) {
    // A stray block after the indexed ones is left out: the index is the whole track.
    std::vector<unsigned char> bytes =
        ClipWithIndex({{kFirst + 0x8000, 0x8000}, {kFirst, 0x8000}}, 2, 4 * kMiB);
    PutNovatekBox(bytes, kFirst, 10);
    PutNovatekBox(bytes, kFirst + 0x8000, 20);
    PutNovatekBox(bytes, 2 * kMiB, 30);
    EXPECT_EQ(Speeds(bytes), (std::vector<float>{20, 10}));
}

TEST(GpsIndexRead, CountsBeyondTheAtomAndRepeatedEntriesAreCut) {
    std::vector<unsigned char> bytes = ClipWithIndex(
        {{kFirst, 0x8000}, {kFirst, 0x8000}, {kFirst + 0x8000, 0x8000}}, 0xFFFFFFFF, 2 * kMiB);
    PutNovatekBox(bytes, kFirst, 10);
    PutNovatekBox(bytes, kFirst + 0x8000, 20);
    MemoryBytes source(bytes.data(), bytes.size());
    EXPECT_EQ(ReadGpsIndex(source)->size(), 3u);
    EXPECT_EQ(Speeds(bytes), (std::vector<float>{10, 20}));
}

TEST(GpsIndexRead, MissingBlocksFallBackToTheScanEachSecondOnce) {
    // One entry past the end, one overlapping the first box (no marker where it points):
    // the scan adds the block the index lacks, and the one it shares is taken once.
    std::vector<unsigned char> bytes = ClipWithIndex(
        {{kFirst, 0x8000}, {0xFFFFFF00, 0x8000}, {kFirst + 0x40, 0x8000}, {2 * kMiB, 0x8000}}, 4,
        4 * kMiB);
    PutNovatekBox(bytes, kFirst, 10);
    PutNovatekBox(bytes, 2 * kMiB, 20);
    PutNovatekBox(bytes, 3 * kMiB + 0x200, 30);
    EXPECT_EQ(Speeds(bytes), (std::vector<float>{10, 20, 30}));
    MemoryBytes source(bytes.data(), bytes.size());
    std::vector<FreeGpsBlock> blocks;
    EXPECT_EQ(ReadIndexedBlocks(source, *ReadGpsIndex(source), blocks), kFirst + 0x40);
}

TEST(GpsIndexRead, AtomsCutShortAndDamagedSizesEndTheWalk) {
    std::vector<unsigned char> bytes = ClipWithIndex({{kFirst, 0x8000}}, 1, 2 * kMiB);
    PutNovatekBox(bytes, kFirst, 10);
    MemoryBytes cutInTheTable(bytes.data(), 44);
    EXPECT_TRUE(ReadGpsIndex(cutInTheTable)->empty());
    Put32BE(bytes, 16, 3); // a moov size below its own header
    MemoryBytes damaged(bytes.data(), bytes.size());
    EXPECT_FALSE(ReadGpsIndex(damaged).has_value());
}

TEST(CameraBlockDecode, DamagedFieldsGiveSecondsWithoutFix) {
    struct Case {
        char status;
        char ns;
        float latitude;
    } cases[] = {{'V', 'N', 5930.0f},
                 {'A', 'X', 5930.0f},
                 {'A', 'N', std::nanf("")},
                 {'A', 'N', INFINITY},
                 {'A', 'N', 9500.0f}};
    for (const Case& c : cases) {
        std::vector<unsigned char> bytes(0x200);
        PutNovatekBox(bytes, 0, 5, c.status, c.ns, c.latitude);
        const std::span<const unsigned char, kCameraBlockLength> block(&bytes[4],
                                                                       kCameraBlockLength);
        EXPECT_EQ(DetectBlockLayout(block), BlockLayout::Novatek);
        const FreeGpsBlock decoded = DecodeCameraBlock(block, 4);
        EXPECT_EQ(decoded.status, 'V') << c.status << c.ns << c.latitude;
        EXPECT_FALSE(decoded.hasSensor);
    }
    std::vector<unsigned char> good(0x200);
    PutNovatekBox(good, 0, 10);
    const FreeGpsBlock decoded =
        DecodeCameraBlock(std::span<const unsigned char, kCameraBlockLength>(&good[4], 108), 4);
    EXPECT_EQ(decoded.status, 'A');
    EXPECT_DOUBLE_EQ(decoded.latitude, 59.5);
    EXPECT_FLOAT_EQ(decoded.speed, 18.52f); // 10 knots
    EXPECT_EQ(decoded.utcTime, 1717245296); // date -u -d '2024-06-01 12:34:56' +%s
}

} // namespace
