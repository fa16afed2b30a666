// DJI Osmo Action clips as our clip maker writes them (a ProductMeta protobuf message in
// each sample of a djmd track, five a second), read as the player loads a clip, second by
// second. exiftool 12.57 reads no djmd message, so the values are worked out by hand.
#include "TextTrackClipTools.h"
#include "tests/support/ClipMaker.h"
#include "track/CGSampleStore.h"
#include "track/CMapTrackStore.h"
#include "track/CSpeedDialModel.h"
#include "track/ClipTrackLoader.h"
#include "track/Mp4SampleTable.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <numbers>

namespace {

constexpr int kSamplesPerSecond = 5;
// The clip maker's drive starts 2024-06-01T12:00:00Z.
constexpr int64_t kStart = 1717243200;
// Due north at 72 km/h, 20 m a second of the drive's Earth radius, 6371008.8 m: 20 /
// 6371008.8 * 180 / pi = 0.000179864 degrees a second, 0.000036 from one sample to the next.
// The drive keeps its positions as float32 DDMM.MMMM: within 0.00001 degrees here.
const double kPerSecond = 20.0 / 6371008.8 * 180.0 / std::numbers::pi;

class DjiDjmdClip : public ::testing::Test {
protected:
    void Make(const std::string& options) {
        folder = TestFolder("djmd");
        clip = (folder / "DJI_20240601120000_0001_D.MP4").string();
        ASSERT_EQ(MakeClip(clip, "--layout dji-djmd " + options).status, 0);
    }
    void TearDown() override { std::filesystem::remove_all(folder); }
    TrackSourceOutcome Load() {
        map.SetSpeedDial(&dial);
        TrackSourceOutcome outcome{.path = clip};
        fix = LoadEmbeddedTrack(clip, {map, chart, dial}, outcome);
        EXPECT_EQ(outcome.family, "DJI djmd");
        return outcome;
    }
    std::vector<uint64_t> SampleOffsets() {
        ClipFile file;
        EXPECT_TRUE(file.Open(clip));
        std::vector<uint64_t> offsets;
        ForEachMp4Track(file, [&](const Mp4Track& track) {
            if (track.IsFormat("djmd")) {
                ForEachMp4Sample(file, track, 1000, [&](const Mp4Sample& sample) {
                    offsets.push_back(sample.offset);
                    return true;
                });
            }
            return true;
        });
        return offsets;
    }
    void ExpectSecond(int s, double latitude) {
        SCOPED_TRACE("second " + std::to_string(s));
        EXPECT_EQ(map.m_fixStatus[s], 'A');
        EXPECT_NEAR(map.m_latitudes[s], latitude, 1e-5);
        EXPECT_NEAR(map.m_longitudes[s], -70.6693, 1e-5);
        EXPECT_EQ(map.m_utcTimes[s], kStart + s);
    }

    std::filesystem::path folder;
    std::string clip;
    CMapTrackStore map;
    CGSampleStore chart;
    CSpeedDialModel dial;
    bool fix = false;
};

// The maker writes radians, the unit proto3 leaves out; the camera writes no speed.
TEST_F(DjiDjmdClip, EverySecondIsTheSampleAtItsStart) {
    Make("--seconds 6 --steady 72 --origin=-33.4489,-70.6693");
    EXPECT_TRUE(Exiftool(clip, "$GPSLatitude").empty());
    const TrackSourceOutcome outcome = Load();
    EXPECT_TRUE(fix);
    EXPECT_FALSE(outcome.damagedAt.has_value());
    ASSERT_GE(map.size(), 6u);
    for (int s = 0; s < 6; ++s) {
        ExpectSecond(s, -33.4489 + s * kPerSecond);
        EXPECT_EQ(dial.Find(s), nullptr);
    }
}

TEST_F(DjiDjmdClip, ADamagedMessageIsSkippedAndTheRestKept) {
    Make("--seconds 6 --steady 72 --origin=-33.4489,-70.6693");
    const std::vector<uint64_t> samples = SampleOffsets();
    ASSERT_EQ(samples.size(), static_cast<size_t>(6 * kSamplesPerSecond));
    // Sample 10 opens second 2; a length past the message's end.
    Overwrite(clip, samples[10] + 1, "\x7f");
    const TrackSourceOutcome outcome = Load();
    ASSERT_TRUE(outcome.damagedAt.has_value());
    EXPECT_EQ(*outcome.damagedAt, samples[10]);
    ASSERT_GE(map.size(), 6u);
    for (int s : {0, 1, 3, 4, 5}) {
        ExpectSecond(s, -33.4489 + s * kPerSecond);
    }
    // Samples 9 and 11 are as near; the earlier, 0.8 of the way from second 1.
    EXPECT_NEAR(map.m_latitudes[2], -33.4489 + 1.8 * kPerSecond, 1e-5);
}

TEST_F(DjiDjmdClip, AnInvalidStatusIsNoFix) {
    Make("--seconds 4 --status V");
    Load();
    EXPECT_FALSE(fix);
    ASSERT_GE(map.size(), 4u);
    for (int s = 0; s < 4; ++s) {
        EXPECT_EQ(map.m_fixStatus[s], 'V') << s;
        EXPECT_EQ(map.m_utcTimes[s], kUnknownUtc) << s;
    }
}

} // namespace
