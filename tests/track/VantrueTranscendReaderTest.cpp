// The Vantrue S1's "horsontech" freeGPS block, the Vantrue N2S's FMAS records in a gpmd
// track and the Transcend DrivePro's Novatek block with doubles, as our clip maker writes
// them, read as the player loads a clip and checked second by second against exiftool's
// reading (exiftool 12.57 reads the two freeGPS layouts only through the `gps ` index).
#include "TextTrackClipTools.h"
#include "tests/support/ClipMaker.h"
#include "tests/support/FileBytes.h"
#include "track/CGSampleStore.h"
#include "track/CMapTrackStore.h"
#include "track/CSpeedDialModel.h"
#include "track/ClipTrackLoader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

namespace {

constexpr int kSeconds = 6;
const std::string kFields = "$GPSLatitude|$GPSLongitude|$GPSSpeed|$GPSTrack|$GPSDateTime";

// Degrees whose minutes are rounded to four decimals, as a DDMM.mmmm reading keeps them.
double FourDecimalMinutes(double degrees) {
    const double whole = std::trunc(degrees);
    return whole + std::round((degrees - whole) * 60 * 1e4) / 1e4 / 60;
}

class MadeClip : public ::testing::Test {
protected:
    void Make(const std::string& layout, const std::string& options) {
        folder = TestFolder(layout);
        clip = (folder / "CLIP_0001.MP4").string();
        ASSERT_EQ(MakeClip(clip, "--seconds 6 --layout " + layout + " " + options).status, 0);
    }
    void TearDown() override { std::filesystem::remove_all(folder); }
    TrackSourceOutcome Load(const std::string& family) {
        map.SetSpeedDial(&dial);
        TrackSourceOutcome outcome{.path = clip};
        fix = LoadEmbeddedTrack(clip, {map, chart, dial}, outcome);
        EXPECT_EQ(outcome.family, family);
        return outcome;
    }
    void ExpectSecond(int s, const std::vector<std::string>& row, double degrees) {
        SCOPED_TRACE("second " + std::to_string(s));
        ASSERT_EQ(row.size(), 5u);
        EXPECT_EQ(map.m_fixStatus[s], 'A');
        EXPECT_NEAR(map.m_latitudes[s], std::stod(row[0]), degrees);
        EXPECT_NEAR(map.m_longitudes[s], std::stod(row[1]), degrees);
        // The dial rounds km/h to 0.01 before truncating, whatever the source.
        EXPECT_EQ(dial.Find(s)->speed, static_cast<int>(std::round(std::stod(row[2]) * 100) / 100));
        EXPECT_EQ(dial.Find(s)->heading, static_cast<int>(std::stod(row[3])));
        EXPECT_EQ(map.m_utcTimes[s], EpochOf(row[4]));
    }
    // exiftool's accelerometer triple, whether it parts the values by commas or spaces.
    void ExpectSample(int s, std::string triple) {
        std::replace(triple.begin(), triple.end(), ',', ' ');
        std::istringstream g(triple);
        double x = 0.0, y = 0.0, z = 0.0;
        ASSERT_TRUE(g >> x >> y >> z) << triple;
        ASSERT_GT(chart.m_samples.size(), static_cast<size_t>(s));
        EXPECT_NEAR(chart.m_samples[s].x, x, 1e-5) << "second " << s;
        EXPECT_NEAR(chart.m_samples[s].y, y, 1e-5) << "second " << s;
        EXPECT_NEAR(chart.m_samples[s].z, z, 1e-5) << "second " << s;
    }
    std::vector<uint64_t> Offsets(const std::string& marker) {
        const std::string bytes = FileBytes(clip);
        std::vector<uint64_t> offsets;
        for (size_t at = bytes.find(marker); at != std::string::npos;
             at = bytes.find(marker, at + 1)) {
            offsets.push_back(at);
        }
        return offsets;
    }

    std::filesystem::path folder;
    std::string clip;
    CMapTrackStore map;
    CGSampleStore chart;
    CSpeedDialModel dial;
    bool fix = false;
};

TEST_F(MadeClip, VantrueS1BlocksAreExiftoolsSecondsWithTheirAccelerations) {
    Make("vantrue-s1", "--index --block-spacing 0x8000 --origin=-33.4489,-70.6693");
    EXPECT_FALSE(Load("freeGPS blocks").damagedAt.has_value());
    EXPECT_TRUE(fix);
    const auto rows = Exiftool(clip, kFields + "|$Accelerometer");
    ASSERT_EQ(rows.size(), static_cast<size_t>(kSeconds));
    ASSERT_EQ(map.size(), rows.size());
    for (int s = 0; s < kSeconds; ++s) {
        ExpectSecond(s, {rows[s].begin(), rows[s].begin() + 5}, 1e-6);
        EXPECT_LT(map.m_latitudes[s], 0.0);
        EXPECT_LT(map.m_longitudes[s], 0.0);
        ExpectSample(s, rows[s].at(5));
    }
}

TEST_F(MadeClip, VantrueN2sRecordsAreExiftoolsSecondsAndADamagedOneIsSkipped) {
    Make("vantrue-n2s", "");
    const auto rows = Exiftool(clip, kFields + "|$Accelerometer");
    ASSERT_EQ(rows.size(), static_cast<size_t>(kSeconds));
    EXPECT_FALSE(Load("Vantrue FMAS").damagedAt.has_value());
    EXPECT_TRUE(fix);
    ASSERT_EQ(map.size(), rows.size());
    for (int s = 0; s < kSeconds; ++s) {
        ExpectSecond(s, {rows[s].begin(), rows[s].begin() + 5}, 1e-6);
        ExpectSample(s, rows[s].at(5));
    }
    // Second 2 loses its "SAMM", second 4 gets minute 75 of its latitude.
    const std::vector<uint64_t> records = Offsets(std::string("FMAS\0\0\0\0", 8));
    ASSERT_EQ(records.size(), static_cast<size_t>(kSeconds));
    Overwrite(clip, records[2] + 0x50, "MASS");
    Overwrite(clip, records[4] + 0x81, "\x4b");
    const TrackSourceOutcome outcome = Load("Vantrue FMAS");
    ASSERT_TRUE(outcome.damagedAt.has_value());
    EXPECT_EQ(*outcome.damagedAt, records[2]);
    for (int s : {0, 1, 3, 5}) {
        ExpectSecond(s, {rows[s].begin(), rows[s].begin() + 5}, 1e-6);
    }
    EXPECT_FALSE(map.HasPosition(2));
    EXPECT_FALSE(map.HasPosition(4));
}

TEST_F(MadeClip, TranscendBlocksGiveTheDoublesAsExiftoolDoes) {
    Make("transcend", "--index --block-spacing 0x8000");
    EXPECT_FALSE(Load("freeGPS blocks").damagedAt.has_value());
    const auto rows = Exiftool(clip, kFields);
    ASSERT_EQ(rows.size(), static_cast<size_t>(kSeconds));
    ASSERT_EQ(map.size(), rows.size());
    for (int s = 0; s < kSeconds; ++s) {
        // The doubles hold a quarter of a float step more, 1.2e-4 minutes of latitude here:
        // at the four decimals of a minute every freeGPS position is kept to, that moves
        // most seconds' last digit, which the floats alone would miss.
        ExpectSecond(s, rows[s], 2e-6);
        EXPECT_NEAR(map.m_latitudes[s], FourDecimalMinutes(std::stod(rows[s][0])), 1e-9);
        EXPECT_NEAR(map.m_longitudes[s], FourDecimalMinutes(std::stod(rows[s][1])), 1e-9);
    }
}

} // namespace
