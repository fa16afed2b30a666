// The GPS tags of Sony's rtmd track, as our clip maker writes them (five samples a second,
// each fix a fifth of the way further on), read as the player loads a clip and checked
// second by second against exiftool's reading.
#include "TextTrackClipTools.h"
#include "tests/support/ClipMaker.h"
#include "track/CGSampleStore.h"
#include "track/CMapTrackStore.h"
#include "track/CSpeedDialModel.h"
#include "track/ClipTrackLoader.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

constexpr int kSeconds = 8;
constexpr int kPerSecond = 5;

class SonyRtmdClip : public ::testing::Test {
protected:
    void SetUp() override {
        folder = TestFolder("sony");
        clip = (folder / "C0001.MP4").string();
        ASSERT_EQ(
            MakeClip(clip, "--layout sony-rtmd --seconds 8 --origin=-33.4489,-70.6693").status, 0);
        rows = Exiftool(clip, "$GPSLatitude|$GPSLongitude|$GPSDateStamp $GPSTimeStamp");
        ASSERT_EQ(rows.size(), static_cast<size_t>(kPerSecond * kSeconds));
    }
    void TearDown() override { std::filesystem::remove_all(folder); }
    TrackSourceOutcome Load() {
        TrackSourceOutcome outcome{.path = clip};
        fix = LoadEmbeddedTrack(clip, {map, chart, dial}, outcome);
        EXPECT_EQ(outcome.family, "Sony rtmd");
        return outcome;
    }
    // Where the value of the k-th sample's tag `id`, `length` bytes long, lies.
    uint64_t TagValueAt(int k, unsigned id, unsigned length) {
        const uint64_t sample = TrackSampleOffset(clip, "rtmd", k);
        ClipFile file;
        EXPECT_TRUE(file.Open(clip));
        const std::span<const unsigned char> bytes = file.Read(sample, 256);
        const std::string text(bytes.begin(), bytes.end());
        const size_t at =
            text.find(std::string{static_cast<char>(id >> 8), static_cast<char>(id),
                                  static_cast<char>(length >> 8), static_cast<char>(length)});
        EXPECT_NE(at, std::string::npos);
        return sample + at + 4;
    }
    void ExpectSecond(int s, const std::vector<std::string>& row) {
        SCOPED_TRACE("second " + std::to_string(s));
        ASSERT_EQ(row.size(), 3u);
        EXPECT_EQ(map.m_fixStatus[s], 'A');
        EXPECT_NEAR(map.m_latitudes[s], std::stod(row[0]), 1e-8);
        EXPECT_NEAR(map.m_longitudes[s], std::stod(row[1]), 1e-8);
        EXPECT_EQ(map.m_utcTimes[s], EpochOf(row[2]));
    }

    std::filesystem::path folder;
    std::string clip;
    std::vector<std::vector<std::string>> rows;
    CMapTrackStore map;
    CGSampleStore chart;
    CSpeedDialModel dial;
    bool fix = false;
};

// Second s is the sample at s; the clip's last second's samples at 7.6 and 7.8 s are nearer
// second 8, which takes the nearer, 7.8 s.
TEST_F(SonyRtmdClip, EverySecondIsExiftoolsSampleNearestIt) {
    const TrackSourceOutcome outcome = Load();
    EXPECT_TRUE(fix);
    EXPECT_FALSE(outcome.damagedAt.has_value());
    ASSERT_EQ(map.size(), static_cast<size_t>(kSeconds + 1));
    for (int s = 0; s < kSeconds; ++s) {
        ExpectSecond(s, rows[kPerSecond * s]);
        EXPECT_LT(map.m_latitudes[s], 0.0);
        EXPECT_LT(map.m_longitudes[s], 0.0);
    }
    ExpectSecond(kSeconds, rows[kPerSecond * kSeconds - 1]);
}

// Second 2's own sample is void and second 4's has a tag running past its end: each second
// takes the nearest sample left within half a second, 1.8 s (0.2 s before 2.2 s) and 3.8 s.
TEST_F(SonyRtmdClip, VoidAndDamagedSamplesGiveWayToTheNearestLeft) {
    Overwrite(clip, TagValueAt(2 * kPerSecond, 0x8509, 2), "V");
    const uint64_t damaged = TrackSampleOffset(clip, "rtmd", 4 * kPerSecond);
    Overwrite(clip, TagValueAt(4 * kPerSecond, 0x8504, 24) - 2, "\xff\xff");
    const TrackSourceOutcome outcome = Load();
    EXPECT_EQ(outcome.damagedAt, damaged);
    ExpectSecond(2, rows[2 * kPerSecond - 1]);
    ExpectSecond(4, rows[4 * kPerSecond - 1]);
    for (int s : {0, 1, 3, 5, 6, 7}) {
        ExpectSecond(s, rows[kPerSecond * s]);
    }
}

// Cameras without a position still write the track, without GPS tags: the clip's other
// source, here an NMEA text track, gives its track.
TEST_F(SonyRtmdClip, TrackWithoutGpsTagsLeavesTheClipToTheOtherReaders) {
    ASSERT_EQ(MakeClip(clip, "--layout sony-rtmd --seconds 8 --nmea-subtitles").status, 0);
    // A zero id where each sample's set of GPS tags opens ends the sample there: the set's
    // id and length lie just before the first tag's, which lie just before its value.
    for (int k = 0; k < kPerSecond * kSeconds; ++k) {
        Overwrite(clip, TagValueAt(k, 0x8500, 4) - 8, std::string(2, '\0'));
    }
    TrackSourceOutcome outcome{.path = clip};
    EXPECT_TRUE(LoadEmbeddedTrack(clip, {map, chart, dial}, outcome));
    EXPECT_EQ(outcome.family, "NMEA text track");
}

} // namespace
