// The Kenwood udta text records as our clip maker writes them, read as the player loads a
// clip and checked second by second against exiftool's reading.
#include "TextTrackClipTools.h"
#include "tests/support/ClipMaker.h"
#include "tests/support/FileBytes.h"
#include "track/CGSampleStore.h"
#include "track/CMapTrackStore.h"
#include "track/CSpeedDialModel.h"
#include "track/ClipTrackLoader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

namespace {

constexpr int kSeconds = 8;

class KenwoodClip : public ::testing::Test {
protected:
    void SetUp() override {
        folder = TestFolder("kenwood");
        clip = (folder / "KW_0001.MP4").string();
        ASSERT_EQ(MakeClip(clip, "--layout kenwood --seconds 8 --origin=-33.4489,-70.6693").status,
                  0);
        rows = Exiftool(clip, "$GPSLatitude|$GPSLongitude|$GPSSpeed|$Accelerometer");
        ASSERT_EQ(rows.size(), static_cast<size_t>(kSeconds));
    }
    void TearDown() override { std::filesystem::remove_all(folder); }
    TrackSourceOutcome Load() {
        map.SetSpeedDial(&dial);
        TrackSourceOutcome outcome{.path = clip};
        EXPECT_TRUE(LoadEmbeddedTrack(clip, {map, chart, dial}, outcome));
        EXPECT_EQ(outcome.family, "Kenwood udta");
        return outcome;
    }
    // Where each record's two 0xFE bytes lie in the file, past the video's bytes.
    std::vector<uint64_t> RecordOffsets() {
        const std::string bytes = FileBytes(clip);
        std::vector<uint64_t> offsets;
        const size_t box = bytes.rfind("VIDEOUUUUUUUUUUUUUUUUUUUUUU");
        for (size_t at = bytes.find("\xfe\xfe", box); at != std::string::npos;
             at = bytes.find("\xfe\xfe", at + 2)) {
            offsets.push_back(at);
        }
        return offsets;
    }
    void ExpectSecond(int s) {
        SCOPED_TRACE("second " + std::to_string(s));
        const auto& row = rows[s];
        ASSERT_EQ(row.size(), 4u);
        EXPECT_EQ(map.m_fixStatus[s], 'A');
        EXPECT_NEAR(map.m_latitudes[s], std::stod(row[0]), 1e-5);
        EXPECT_NEAR(map.m_longitudes[s], std::stod(row[1]), 1e-5);
        EXPECT_NEAR(dial.Find(s)->speed, std::stod(row[2]), 1.0);
        // The clock's zone is not known.
        EXPECT_EQ(map.m_utcTimes[s], kUnknownUtc);
        std::istringstream g(row[3]);
        double x = 0.0, y = 0.0, z = 0.0;
        ASSERT_TRUE(g >> x >> y >> z);
        ASSERT_GT(chart.m_samples.size(), static_cast<size_t>(s));
        EXPECT_NEAR(chart.m_samples[s].x, x, 1e-5);
        EXPECT_NEAR(chart.m_samples[s].y, y, 1e-5);
        EXPECT_NEAR(chart.m_samples[s].z, z, 1e-5);
    }

    std::filesystem::path folder;
    std::string clip;
    std::vector<std::vector<std::string>> rows;
    CMapTrackStore map;
    CGSampleStore chart;
    CSpeedDialModel dial;
};

TEST_F(KenwoodClip, EverySecondIsExiftoolsRecordWithItsFirstSample) {
    const TrackSourceOutcome outcome = Load();
    EXPECT_FALSE(outcome.damagedAt.has_value());
    ASSERT_EQ(map.size(), static_cast<size_t>(kSeconds));
    for (int s = 0; s < kSeconds; ++s) {
        ExpectSecond(s);
        EXPECT_LT(map.m_latitudes[s], 0.0);
        EXPECT_LT(map.m_longitudes[s], 0.0);
    }
}

TEST_F(KenwoodClip, DamagedRecordsAreSkippedAndTheRestKeptAtTheirClocksSeconds) {
    const std::vector<uint64_t> records = RecordOffsets();
    ASSERT_EQ(records.size(), static_cast<size_t>(kSeconds));
    // Second 2 loses its hemisphere; second 5's clock reads month 13. The record's clock
    // starts 2 bytes in, its hemisphere 2 + 14 + 1 + 14 + 1 bytes in.
    Overwrite(clip, records[2] + 32, "X");
    Overwrite(clip, records[5] + 6, "13");
    const TrackSourceOutcome outcome = Load();
    ASSERT_TRUE(outcome.damagedAt.has_value());
    EXPECT_EQ(*outcome.damagedAt, records[2]);
    ASSERT_EQ(map.size(), static_cast<size_t>(kSeconds));
    EXPECT_EQ(map.m_fixStatus[2], 'V');
    EXPECT_EQ(map.m_fixStatus[5], 'V');
    for (int s : {0, 1, 3, 4, 6, 7}) {
        ExpectSecond(s);
    }
}

} // namespace
