// A drive's time axis: where its clips fall on it, which clip a second of it opens, and the
// jumps from event to event.
#include "track/DriveAxis.h"
#include "track/LoadedDrive.h"

#include "tests/support/ClipMaker.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

ClipSummary Clip(const std::string& name, double seconds, int64_t firstUtc,
                 std::vector<DrivingEvent> events = {}) {
    ClipSummary clip;
    clip.path = "/card/" + name;
    clip.seconds = seconds;
    clip.firstUtc = firstUtc;
    clip.lastUtc = firstUtc == kUnknownUtc ? kUnknownUtc : firstUtc + int64_t(seconds) - 1;
    clip.events = std::move(events);
    return clip;
}

// Three tracked clips of 60, 60 and 30 s starting 0, 65 and 130 s after the first: one
// drive (gaps of 5 s), with a braking at second 10 of the second clip (drive second 75)
// and one at second 20 of the third (150).
Drive ThreeClipDrive() {
    constexpr int64_t t = 1727780400;
    const DrivingEvent braking10{.second = 10, .peakG = 0.5};
    const DrivingEvent braking20{.second = 20, .peakG = 0.6};
    std::vector<Drive> drives =
        GroupDrives({Clip("c.mp4", 30, t + 130, {braking20}), Clip("a.mp4", 60, t),
                     Clip("b.mp4", 60, t + 65, {braking10})});
    EXPECT_EQ(drives.size(), 1u);
    return drives.front();
}

TEST(DriveAxis, ClipsFallWhereTheirTimesPutThem) {
    const Drive drive = ThreeClipDrive();
    ASSERT_EQ(drive.clips.size(), 3u);
    EXPECT_EQ(drive.clips[0].at, 0);
    EXPECT_EQ(drive.clips[1].at, 65);
    EXPECT_EQ(drive.clips[2].at, 130);
    // Without any time, one clip follows the other.
    const std::vector<Drive> untimed = GroupDrives({Clip("x.mp4", 60, kUnknownUtc)});
    ASSERT_EQ(untimed.size(), 1u);
    EXPECT_EQ(untimed[0].clips[0].at, 0);

    struct Case {
        double driveSecond;
        size_t clip;
        double second;
    };
    const Case cases[] = {
        {-5, 0, 0}, {30, 0, 30},      {62, 1, 0},   // in the gap: the next clip's start
        {70, 1, 5}, {140.5, 2, 10.5}, {500, 2, 30}, // past the end: the last clip's end
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.driveSecond);
        const DrivePlace place = PlaceInDrive(drive, c.driveSecond);
        EXPECT_EQ(place.clip, c.clip);
        EXPECT_DOUBLE_EQ(place.second, c.second);
    }
    EXPECT_DOUBLE_EQ(DriveSecondOf(drive, 1, 5), 70);
}

TEST(DriveAxis, EventsOnTheDriveAndTheJumpsBetweenThem) {
    const Drive drive = ThreeClipDrive();
    const std::vector<DriveEvent> events = EventsOfDrive(drive);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].driveSecond, 75);
    EXPECT_EQ(events[0].clip, 1u);
    EXPECT_EQ(events[1].driveSecond, 150);
    struct Case {
        double from;
        bool forward;
        int to; // -1: none
    };
    const Case cases[] = {{0, true, 75},     {75, true, 150},    {74.5, true, 150}, {150, true, -1},
                          {200, false, 150}, {150.5, false, 75}, {75, false, -1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.from << (c.forward ? " forward" : " back"));
        const DriveEvent* next = NextDriveEvent(events, c.from, c.forward);
        EXPECT_EQ(next != nullptr ? next->driveSecond : -1, c.to);
    }
}

// The player loads a folder's drives at once: each main clip keeps its own track beside it,
// whatever order the paths came in. Two 10 s clips 10 s apart make one drive; the first
// drives at 36 km/h, the second at 72.
TEST(LoadedDrive, EachClipKeepsItsTrackBesideIt) {
    const std::filesystem::path card = TestFolder("loaded");
    const std::string small = " --seconds 10 --size 64x48 --fps 5 --origin 59,18";
    const std::string first = (card / "2024_0601_140000_F.MP4").string();
    const std::string second = (card / "2024_0601_140010_F.MP4").string();
    ASSERT_EQ(MakeClip(first, "--start 2024-06-01T12:00:00 --steady 36" + small).status, 0);
    ASSERT_EQ(MakeClip(second, "--start 2024-06-01T12:00:10 --steady 72" + small).status, 0);
    const auto drives = LoadDrives({second, first});
    ASSERT_EQ(drives.size(), 1u);
    const LoadedDrive& drive = *drives.front();
    ASSERT_EQ(drive.tracks.size(), 2u);
    EXPECT_EQ(drive.ClipIndex(first), 0u);
    EXPECT_EQ(drive.ClipIndex(second), 1u);
    EXPECT_FALSE(drive.ClipIndex((card / "other.MP4").string()).has_value());
    EXPECT_EQ(drive.tracks[0]->Dial().Find(5)->speed, 36);
    EXPECT_EQ(drive.tracks[1]->Dial().Find(5)->speed, 72);
    EXPECT_EQ(drive.drive.clips[1].at, 10);
    std::filesystem::remove_all(card);
}

} // namespace
