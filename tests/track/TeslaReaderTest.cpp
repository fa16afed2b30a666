// Tesla dashcam clips as our clip maker writes them (a SeiMetadata message in an SEI unit of
// every frame, ten frames a second), read as the player loads a clip, second by second.
// exiftool 12.57 reads no SEI of an MP4's video, so the values are worked out by hand.
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
#include <numbers>
#include <sstream>

namespace {

constexpr int kFps = 10;
// Tesla's UUID as the clip maker writes it.
const std::string kUuid = std::string(15, 'B') + "i";
// From a 4-byte NAL length to the UUID: the unit's header, payload type and size bytes.
constexpr uint64_t kUnitToUuid = 4 + 1 + 1 + 1;

class TeslaClip : public ::testing::Test {
protected:
    void Make(const std::string& options) {
        folder = TestFolder("tesla");
        clip = (folder / "2025-01-01_12-00-00-front.mp4").string();
        truth = (folder / "truth.csv").string();
        ASSERT_EQ(MakeClip(clip, "--layout tesla --truth " + Quoted(truth) + " " + options).status,
                  0);
    }
    void TearDown() override { std::filesystem::remove_all(folder); }
    TrackSourceOutcome Load() {
        map.SetSpeedDial(&dial);
        TrackSourceOutcome outcome{.path = clip};
        fix = LoadEmbeddedTrack(clip, {map, chart, dial}, outcome);
        EXPECT_EQ(outcome.family, "Tesla SEI");
        return outcome;
    }
    // Where each frame's UUID lies in the file: the frames are in decoding order.
    std::vector<uint64_t> UuidOffsets() {
        const std::string bytes = FileBytes(clip);
        std::vector<uint64_t> offsets;
        for (size_t at = bytes.find(kUuid); at != std::string::npos;
             at = bytes.find(kUuid, at + 1)) {
            offsets.push_back(at);
        }
        return offsets;
    }

    std::filesystem::path folder;
    std::string clip;
    std::string truth;
    CMapTrackStore map;
    CGSampleStore chart;
    CSpeedDialModel dial;
    bool fix = false;
};

TEST_F(TeslaClip, EverySecondIsTheFrameAtItsStart) {
    Make("--seconds 6 --steady 72 --origin=1.25,103.85");
    EXPECT_TRUE(Exiftool(clip, "$GPSLatitude").empty());
    const TrackSourceOutcome outcome = Load();
    EXPECT_TRUE(fix);
    EXPECT_FALSE(outcome.damagedAt.has_value());
    ASSERT_GE(map.size(), 6u);
    // Due north at 72 km/h: the maker writes 72 / 3.6 = 20 m/s, read back as 20 * 3.6 = 72
    // km/h, and moves 20 m of the drive's Earth radius, 6371008.8 m, a second: 20 / 6371008.8
    // * 180 / pi = 0.000179864 degrees, 0.000018 from one frame to the next.
    const double perSecond = 20.0 / 6371008.8 * 180.0 / std::numbers::pi;
    for (int s = 0; s < 6; ++s) {
        SCOPED_TRACE("second " + std::to_string(s));
        EXPECT_EQ(map.m_fixStatus[s], 'A');
        EXPECT_NEAR(map.m_latitudes[s], 1.25 + s * perSecond, 1e-6);
        EXPECT_NEAR(map.m_longitudes[s], 103.85, 1e-6);
        EXPECT_EQ(map.m_utcTimes[s], kUnknownUtc);
        ASSERT_NE(dial.Find(s), nullptr);
        EXPECT_EQ(dial.Find(s)->speed, 72);
        EXPECT_EQ(dial.Find(s)->heading, 0);
    }
}

// A message that makes no sense is skipped: its second takes the nearest frame left, and
// the frames' accelerations (the maker's counts of 1/64 g, written in m/s²) reach the
// chart, which keeps five decimals.
TEST_F(TeslaClip, ADamagedMessageIsSkippedAndTheRestKept) {
    Make("--seconds 8");
    const std::vector<uint64_t> uuids = UuidOffsets();
    ASSERT_EQ(uuids.size(), static_cast<size_t>(8 * kFps));
    // Frame 20 opens second 2; wire type 7 exists in no protobuf.
    Overwrite(clip, uuids[20] + kUuid.size(), "\x0f");
    const TrackSourceOutcome outcome = Load();
    EXPECT_TRUE(fix);
    ASSERT_TRUE(outcome.damagedAt.has_value());
    EXPECT_EQ(*outcome.damagedAt, uuids[20] - kUnitToUuid);
    const std::vector<std::vector<double>> rows = ReadTruth(truth);
    ASSERT_EQ(rows.size(), 8u);
    ASSERT_GE(map.size(), 8u);
    for (int s = 0; s < 8; ++s) {
        SCOPED_TRACE("second " + std::to_string(s));
        const std::vector<double>& row = rows[s];
        EXPECT_EQ(map.m_fixStatus[s], 'A');
        ASSERT_NE(dial.Find(s), nullptr);
        if (s == 2) {
            // Frames 19 and 21 are as near; the earlier, 0.9 of the way from second 1.
            EXPECT_NEAR(map.m_latitudes[s], rows[1][1] + 0.9 * (row[1] - rows[1][1]), 1e-6);
            continue;
        }
        EXPECT_NEAR(map.m_latitudes[s], row[1], 1e-6);
        EXPECT_NEAR(map.m_longitudes[s], row[2], 1e-6);
        EXPECT_NEAR(dial.Find(s)->speed, row[3], 1.0);
        EXPECT_NEAR(dial.Find(s)->heading, row[4], 1.0);
        ASSERT_GT(chart.m_samples.size(), static_cast<size_t>(s));
        EXPECT_NEAR(chart.m_samples[s].x, row[5] / 64.0, 1e-5);
        EXPECT_NEAR(chart.m_samples[s].y, row[6] / 64.0, 1e-5);
        EXPECT_NEAR(chart.m_samples[s].z, row[7] / 64.0, 1e-5);
    }
}

// The CSV's fields after the ten every camera has, line by line, the header's included.
std::vector<std::string> ExtraFields(const std::string& csv) {
    std::vector<std::string> extras;
    std::istringstream lines(csv);
    std::string line;
    while (std::getline(lines, line)) {
        size_t at = 0;
        for (int comma = 0; comma < 10 && at != std::string::npos; ++comma) {
            at = line.find(',', at);
            at = at == std::string::npos ? at : at + 1;
        }
        extras.push_back(at == std::string::npos ? std::string() : line.substr(at));
    }
    return extras;
}

// The maker's CAR_STATES, a row a second, as the frame at each second's start carries them:
// a reader taking a later frame of the second would show the next row's gear and blinkers.
TEST_F(TeslaClip, TheCarsStateIsKeptInTheCsv) {
    Make("--seconds 8");
    const ToolRun run = Shell(Quoted(OSTVIK_TRACK_TOOL) + " --format csv " + Quoted(clip));
    ASSERT_EQ(run.status, 0) << run.err;
    const std::vector<std::string> extras = ExtraFields(run.out);
    const std::vector<std::string> expected = {
        "gear,accelerator_pedal,steering_angle,brake,blinker_left,blinker_right,autopilot",
        "park,0,0,1,0,0,none",
        "drive,12.5,-30.5,0,1,0,none",
        "drive,37.25,12.75,0,0,1,tacc",
        "drive,20,1.5,0,0,0,autosteer",
        "drive,0,-2.25,1,0,0,self_driving",
        "neutral,0,0,1,1,1,none",
        "reverse,5.5,90,0,0,0,none",
        "park,0,0,1,0,0,none",
    };
    ASSERT_GE(extras.size(), expected.size()) << run.out;
    for (size_t row = 0; row < expected.size(); ++row) {
        EXPECT_EQ(extras[row], expected[row]) << "row " << row;
    }
}

// Parked without a position the car still writes its speed: no fix, the speed kept.
TEST_F(TeslaClip, WithoutAPositionTheSpeedIsKept) {
    Make("--seconds 4 --steady 36 --status V");
    const TrackSourceOutcome outcome = Load();
    EXPECT_FALSE(fix);
    EXPECT_FALSE(outcome.damagedAt.has_value());
    ASSERT_GE(map.size(), 4u);
    for (int s = 0; s < 4; ++s) {
        EXPECT_EQ(map.m_fixStatus[s], 'V') << s;
        ASSERT_NE(dial.Find(s), nullptr);
        // 36 km/h written as 10 m/s.
        EXPECT_EQ(dial.Find(s)->speed, 36) << s;
    }
}

} // namespace
