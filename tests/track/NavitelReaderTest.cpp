// The gps0, gsen and IDIT boxes of Navitel-style cameras, as our clip maker writes them,
// read as the player loads a clip and checked second by second against exiftool's reading.
#include "TextTrackClipTools.h"
#include "tests/support/ClipMaker.h"
#include "track/CGSampleStore.h"
#include "track/CMapTrackStore.h"
#include "track/CSpeedDialModel.h"
#include "track/ClipTrackLoader.h"
#include "track/Mp4Boxes.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <sstream>

namespace {

constexpr int kSeconds = 8;
constexpr int kSamplesPerSecond = 5;
constexpr uint64_t kRecordBytes = 32;
// The clip maker's drive starts 2024-06-01T12:00:00Z.
constexpr int64_t kStart = 1717243200;

class NavitelClip : public ::testing::Test {
protected:
    void Make(const std::string& options) {
        folder = TestFolder("navitel");
        clip = (folder / "NAV_0001.MP4").string();
        ASSERT_EQ(MakeClip(clip, "--layout navitel --seconds 8 " + options).status, 0);
    }
    void TearDown() override { std::filesystem::remove_all(folder); }
    TrackSourceOutcome Load() {
        map.SetSpeedDial(&dial);
        TrackSourceOutcome outcome{.path = clip};
        fix = LoadEmbeddedTrack(clip, {map, chart, dial}, outcome);
        EXPECT_EQ(outcome.family, "Navitel gps0");
        return outcome;
    }
    uint64_t Box(const char* path) {
        ClipFile file;
        EXPECT_TRUE(file.Open(clip));
        return FindMp4Box(file, path).value_or(Mp4Box{}).payload;
    }
    void ExpectSecond(int s, const std::vector<std::string>& row) {
        SCOPED_TRACE("second " + std::to_string(s));
        ASSERT_EQ(row.size(), 5u);
        EXPECT_EQ(map.m_fixStatus[s], 'A');
        EXPECT_NEAR(map.m_latitudes[s], std::stod(row[0]), 1e-5);
        EXPECT_NEAR(map.m_longitudes[s], std::stod(row[1]), 1e-5);
        EXPECT_NEAR(dial.Find(s)->speed, std::stod(row[2]), 1.0);
        EXPECT_EQ(dial.Find(s)->heading, std::stoi(row[3]));
        EXPECT_EQ(map.m_utcTimes[s], EpochOf(row[4]));
    }

    std::filesystem::path folder;
    std::string clip;
    CMapTrackStore map;
    CGSampleStore chart;
    CSpeedDialModel dial;
    bool fix = false;
};

TEST_F(NavitelClip, EverySecondIsExiftoolsRecordAndFirstSample) {
    Make("--origin=-33.4489,-70.6693");
    const TrackSourceOutcome outcome = Load();
    EXPECT_TRUE(fix);
    EXPECT_FALSE(outcome.damagedAt.has_value());
    const auto rows = Exiftool(clip, "$GPSLatitude|$GPSLongitude|$GPSSpeed|$GPSTrack|$GPSDateTime");
    ASSERT_EQ(rows.size(), static_cast<size_t>(kSeconds));
    ASSERT_EQ(map.size(), rows.size());
    const auto samples = Exiftool(clip, "$Accelerometer");
    ASSERT_EQ(samples.size(), static_cast<size_t>(kSeconds * kSamplesPerSecond));
    ASSERT_GE(chart.m_samples.size(), static_cast<size_t>(kSeconds));
    for (int s = 0; s < kSeconds; ++s) {
        ExpectSecond(s, rows[s]);
        EXPECT_LT(map.m_latitudes[s], 0.0);
        EXPECT_LT(map.m_longitudes[s], 0.0);
        // The samples carry no times, five a second: each second shows the one at its start.
        std::istringstream g(samples[s * kSamplesPerSecond].at(0));
        double x = 0.0, y = 0.0, z = 0.0;
        ASSERT_TRUE(g >> x >> y >> z);
        EXPECT_NEAR(chart.m_samples[s].x, x, 1e-5);
        EXPECT_NEAR(chart.m_samples[s].y, y, 1e-5);
        EXPECT_NEAR(chart.m_samples[s].z, z, 1e-5);
    }
}

TEST_F(NavitelClip, DamagedRecordsAreSkippedAndTheRestKept) {
    Make("");
    const auto rows = Exiftool(clip, "$GPSLatitude|$GPSLongitude|$GPSSpeed|$GPSTrack|$GPSDateTime");
    const uint64_t records = Box("gps0");
    ASSERT_NE(records, 0u);
    // Second 2: 95 minutes. Second 4: month 13.
    const double latitude = 5995.0;
    std::string bytes(sizeof latitude, '\0');
    std::memcpy(bytes.data(), &latitude, sizeof latitude);
    Overwrite(clip, records + 2 * kRecordBytes, bytes);
    Overwrite(clip, records + 4 * kRecordBytes + 0x17, "\x0d");
    const TrackSourceOutcome outcome = Load();
    ASSERT_TRUE(outcome.damagedAt.has_value());
    EXPECT_EQ(*outcome.damagedAt, records + 2 * kRecordBytes);
    ASSERT_EQ(map.size(), static_cast<size_t>(kSeconds));
    EXPECT_EQ(map.m_fixStatus[2], 'V');
    EXPECT_EQ(map.m_fixStatus[4], 'V');
    for (int s : {0, 1, 3, 5, 7}) {
        ExpectSecond(s, rows[s]);
    }
}

// A record without a fix has no time of its own; the IDIT clock, with its zone, dates it.
TEST_F(NavitelClip, WithoutAFixTheIditClockDatesEachSecond) {
    Make("--status V");
    const uint64_t stamp = Box("IDIT");
    ASSERT_NE(stamp, 0u);
    Overwrite(clip, stamp + 19, "+0130");
    Load();
    EXPECT_FALSE(fix);
    ASSERT_EQ(map.size(), static_cast<size_t>(kSeconds));
    for (int s = 0; s < kSeconds; ++s) {
        EXPECT_EQ(map.m_fixStatus[s], 'V');
        EXPECT_EQ(map.m_utcTimes[s], kStart - 5400 + s) << s;
    }
}

} // namespace
