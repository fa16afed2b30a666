// The two ways Insta360 clips carry a track, as our clip maker writes them: GPS records in
// the trailer after the movie, and GPS and acceleration packets in a camm track. Each is read
// as the player loads a clip and checked second by second against exiftool's reading.
#include "TextTrackClipTools.h"
#include "tests/support/ClipMaker.h"
#include "track/CGSampleStore.h"
#include "track/CMapTrackStore.h"
#include "track/CSpeedDialModel.h"
#include "track/ClipTrackLoader.h"
#include "track/Mp4Boxes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <sstream>

namespace {

constexpr int kSeconds = 8;
// The clip maker's drive starts 2024-06-01T12:00:00Z.
constexpr int64_t kStart = 1717243200;
// The trailer: 53-byte fixes, two a second, end 78 bytes before the file does.
constexpr uint64_t kFixBytes = 53;
constexpr uint64_t kTailBytes = 78;
// The camm track: four samples a second.
constexpr int kSamplesPerSecond = 4;

class Insta360Clip : public ::testing::Test {
protected:
    void Make(const std::string& layout, const std::string& options = "") {
        folder = TestFolder("insta360");
        clip = (folder / "VID_0001.MP4").string();
        ASSERT_EQ(MakeClip(clip, "--layout " + layout + " --seconds 8 " + options).status, 0);
    }
    void TearDown() override { std::filesystem::remove_all(folder); }
    TrackSourceOutcome Load(const std::string& family) {
        map.SetSpeedDial(&dial);
        TrackSourceOutcome outcome{.path = clip};
        fix = LoadEmbeddedTrack(clip, {map, chart, dial}, outcome);
        EXPECT_EQ(outcome.family, family);
        return outcome;
    }
    // Where the trailer's k-th fix lies.
    uint64_t FixAt(int k) {
        return std::filesystem::file_size(clip) - kTailBytes - 2 * kSeconds * kFixBytes +
               k * kFixBytes;
    }
    // A row of exiftool's GPSDateTime, latitude, longitude, speed (km/h) and course.
    void ExpectSecond(int s, const std::vector<std::string>& row) {
        SCOPED_TRACE("second " + std::to_string(s));
        ASSERT_EQ(row.size(), 5u);
        EXPECT_EQ(map.m_fixStatus[s], 'A');
        EXPECT_EQ(map.m_utcTimes[s], EpochOf(row[0]));
        EXPECT_NEAR(map.m_latitudes[s], std::stod(row[1]), 1e-7);
        EXPECT_NEAR(map.m_longitudes[s], std::stod(row[2]), 1e-7);
        ASSERT_NE(dial.Find(s), nullptr);
        EXPECT_NEAR(dial.Find(s)->speed, std::stod(row[3]), 1.0);
        EXPECT_NEAR(dial.Find(s)->heading, std::stod(row[4]), 1.0);
    }
    // camm rows name velocities east and north in m/s: speed and course worked from them.
    std::vector<std::vector<std::string>> CammFixes() {
        auto rows = Exiftool(clip, "$GPSDateTime|$GPSLatitude|$GPSLongitude|$GPSVelocityEast|"
                                   "$GPSVelocityNorth");
        for (auto& row : rows) {
            const double east = std::stod(row.at(3));
            const double north = std::stod(row.at(4));
            const double course = std::atan2(east, north) * 180.0 / std::numbers::pi;
            row[3] = std::to_string(std::hypot(east, north) * 3.6);
            row[4] = std::to_string(course < 0.0 ? course + 360.0 : course);
        }
        return rows;
    }
    void ExpectAcceleration(int s, const std::vector<std::string>& row) {
        SCOPED_TRACE("second " + std::to_string(s));
        std::istringstream values(row.at(0));
        double x = 0.0, y = 0.0, z = 0.0;
        ASSERT_TRUE(values >> x >> y >> z);
        EXPECT_NEAR(chart.m_samples[s].x, x / 9.80665, 1e-4);
        EXPECT_NEAR(chart.m_samples[s].y, y / 9.80665, 1e-4);
        EXPECT_NEAR(chart.m_samples[s].z, z / 9.80665, 1e-4);
    }

    std::filesystem::path folder;
    std::string clip;
    CMapTrackStore map;
    CGSampleStore chart;
    CSpeedDialModel dial;
    bool fix = false;
};

// Two fixes a second share the second's UTC time; the first, nearest its start, is kept.
TEST_F(Insta360Clip, TrailerSecondsAreExiftoolsFirstFixOfEach) {
    Make("insta360", "--origin=-33.4489,-70.6693");
    const TrackSourceOutcome outcome = Load("Insta360 trailer");
    EXPECT_TRUE(fix);
    EXPECT_FALSE(outcome.damagedAt.has_value());
    const auto rows = Exiftool(clip, "$GPSDateTime|$GPSLatitude|$GPSLongitude|$GPSSpeed|$GPSTrack");
    ASSERT_EQ(rows.size(), static_cast<size_t>(2 * kSeconds));
    ASSERT_EQ(map.size(), static_cast<size_t>(kSeconds));
    for (int s = 0; s < kSeconds; ++s) {
        ExpectSecond(s, rows[2 * s]);
        EXPECT_LT(map.m_latitudes[s], 0.0);
        EXPECT_LT(map.m_longitudes[s], 0.0);
    }
}

// Second 2's first fix has no hemisphere and both of second 5's are void; second 3's two
// fixes swap places, and the one at the second's start (millisecond 0) is still taken.
TEST_F(Insta360Clip, TrailerDamagedAndVoidFixesAreSkipped) {
    Make("insta360");
    const auto rows = Exiftool(clip, "$GPSDateTime|$GPSLatitude|$GPSLongitude|$GPSSpeed|$GPSTrack");
    ASSERT_EQ(rows.size(), static_cast<size_t>(2 * kSeconds));
    std::string pair(2 * kFixBytes, '\0');
    std::ifstream(clip, std::ios::binary)
        .seekg(static_cast<std::streamoff>(FixAt(6)))
        .read(pair.data(), static_cast<std::streamsize>(pair.size()));
    Overwrite(clip, FixAt(6), pair.substr(kFixBytes) + pair.substr(0, kFixBytes));
    Overwrite(clip, FixAt(4) + 19, "X");
    Overwrite(clip, FixAt(10) + 10, "V");
    Overwrite(clip, FixAt(11) + 10, "V");
    const TrackSourceOutcome outcome = Load("Insta360 trailer");
    ASSERT_TRUE(outcome.damagedAt.has_value());
    EXPECT_EQ(*outcome.damagedAt, FixAt(4));
    ASSERT_EQ(map.size(), static_cast<size_t>(kSeconds));
    ExpectSecond(2, rows[5]);
    ExpectSecond(3, rows[6]);
    EXPECT_FALSE(map.HasPosition(5));
    for (int s : {0, 1, 4, 6, 7}) {
        ExpectSecond(s, rows[2 * s]);
    }
}

TEST_F(Insta360Clip, TrailerLongerThanTheFileIsDamageWithoutTrack) {
    Make("insta360");
    const uint64_t tail = std::filesystem::file_size(clip) - kTailBytes;
    Overwrite(clip, tail + 38, std::string("\xff\xff\xff\x7f", 4));
    const TrackSourceOutcome outcome = Load("Insta360 trailer");
    EXPECT_FALSE(fix);
    EXPECT_EQ(outcome.damagedAt, tail);
    EXPECT_EQ(map.size(), 0u);
}

// Second s takes the packets of the sample nearest it: the fix and acceleration at s, not
// those of s + 0.5 (a fix half way on) or s + 0.25 (an acceleration 0.05 g higher).
TEST_F(Insta360Clip, CammSecondsAreExiftoolsNearestPackets) {
    Make("camm", "--origin=-33.4489,-70.6693");
    const TrackSourceOutcome outcome = Load("camm track");
    EXPECT_TRUE(fix);
    EXPECT_FALSE(outcome.damagedAt.has_value());
    const auto fixes = CammFixes();
    ASSERT_EQ(fixes.size(), static_cast<size_t>(2 * kSeconds));
    const auto accelerations = Exiftool(clip, "$Acceleration");
    ASSERT_EQ(accelerations.size(), static_cast<size_t>(kSamplesPerSecond * kSeconds));
    ASSERT_GE(chart.m_samples.size(), static_cast<size_t>(kSeconds));
    for (int s = 0; s < kSeconds; ++s) {
        ExpectSecond(s, fixes[2 * s]);
        ExpectAcceleration(s, accelerations[kSamplesPerSecond * s]);
    }
    // The last second's later fix, at 7.5 s, is nearest second 8, which the clip (8 s long,
    // so taking seconds to 13) still holds.
    ASSERT_EQ(map.size(), static_cast<size_t>(kSeconds + 1));
    EXPECT_NEAR(map.m_latitudes[kSeconds], std::stod(fixes[2 * kSeconds - 1][1]), 1e-7);
}

// A packet of no known type ends its sample's reading: second 3 falls back to the fix at
// 2.5 s (0.5 s away, as near as any left) and the acceleration at 2.75 s (0.25 s, the
// earlier of the two nearest).
TEST_F(Insta360Clip, CammDamagedSampleIsSkippedAndTheNearestLeftTaken) {
    Make("camm");
    const auto fixes = CammFixes();
    const auto accelerations = Exiftool(clip, "$Acceleration");
    ASSERT_EQ(fixes.size(), static_cast<size_t>(2 * kSeconds));
    const uint64_t sample = TrackSampleOffset(clip, "camm", 3 * kSamplesPerSecond);
    Overwrite(clip, sample + 2, std::string("\x09\x00", 2));
    const TrackSourceOutcome outcome = Load("camm track");
    EXPECT_EQ(outcome.damagedAt, sample);
    ExpectSecond(3, fixes[5]);
    ExpectAcceleration(3, accelerations[2 * kSamplesPerSecond + 3]);
    for (int s : {0, 1, 2, 4, 5, 6, 7}) {
        ExpectSecond(s, fixes[2 * s]);
        ExpectAcceleration(s, accelerations[kSamplesPerSecond * s]);
    }
}

// The fix time counts from the GPS epoch; exiftool takes it from 1970 when the clip gives no
// creation time to tell by, the reader keeps to the GPS epoch: the drive's own start.
TEST_F(Insta360Clip, CammFixTimeWithoutCreationTimeCountsFromTheGpsEpoch) {
    Make("camm");
    ClipFile file;
    ASSERT_TRUE(file.Open(clip));
    const uint64_t header = FindMp4Box(file, "moov/mvhd").value_or(Mp4Box{}).payload;
    ASSERT_NE(header, 0u);
    // Version 0: version and flags, then the 32-bit creation and modification times.
    Overwrite(clip, header + 4, std::string(8, '\0'));
    Load("camm track");
    ASSERT_EQ(map.size(), static_cast<size_t>(kSeconds + 1));
    for (int s = 0; s < kSeconds; ++s) {
        EXPECT_EQ(map.m_utcTimes[s], kStart + s) << s;
    }
}

} // namespace
