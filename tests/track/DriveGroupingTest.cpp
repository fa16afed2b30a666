// Clips of a card grouped into drives, from summaries written by hand.
#include "track/DriveGrouping.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// 2024-10-01T12:00:00 as camera time: 19997 days after 1970-01-01 (see the name test) and
// 12 hours, 1727784000 s. The tracks' UTC is an hour behind the camera's clock.
constexpr int64_t kCamera = 1727784000;
constexpr int64_t kUtc = kCamera - 3600;
constexpr int64_t kNone = kUnknownUtc;

// A clip of `seconds` named `name`; with `utcOffset` set (not kNone) its track starts that
// many seconds after kUtc and holds `seconds` seconds.
ClipSummary Clip(const std::string& name, double seconds, int64_t utcOffset, double km = 0,
                 int maxKmh = 0, int64_t fileTime = kNone) {
    ClipSummary clip;
    clip.path = "/card/" + name;
    clip.seconds = seconds;
    clip.name = ReadCameraFileName(name);
    if (utcOffset != kNone) {
        clip.firstUtc = kUtc + utcOffset;
        clip.lastUtc = clip.firstUtc + static_cast<int64_t>(seconds) - 1;
    }
    clip.km = km;
    clip.maxKmh = maxKmh;
    clip.fileTime = fileTime;
    return clip;
}

// A drive as the test writes it: its main clips' names in order, each followed by the
// clips beside it in brackets.
std::string Sequence(const Drive& drive) {
    std::string text;
    for (const DriveClip& clip : drive.clips) {
        text += (text.empty() ? "" : " ") + clip.main.path.substr(6);
        for (const ClipSummary& beside : clip.beside) {
            text += "[" + beside.path.substr(6) + "]";
        }
    }
    return text;
}

struct ExpectedDrive {
    std::string sequence;
    DriveClock clock;
    int64_t start;
    int64_t end;
    int64_t seconds;
    double km;
    int maxKmh;
};

struct GroupingCase {
    std::string rule;
    std::vector<ClipSummary> clips;
    std::vector<ExpectedDrive> drives;
};

TEST(DriveGrouping, ClipsJoinWhileTheGapIsShort) {
    const std::vector<GroupingCase> cases{
        // The third track starts 62 s after the second's last second.
        {"tracks join within 60 s",
         {Clip("2024_1001_120000_F.MP4", 60, 0, 1.0, 50),
          Clip("2024_1001_120100_F.MP4", 60, 60, 1.5, 70),
          Clip("2024_1001_120300_F.MP4", 60, 181, 0.5, 30)},
         {{"2024_1001_120000_F.MP4 2024_1001_120100_F.MP4", DriveClock::Utc, kUtc, kUtc + 120, 120,
           2.5, 70},
          {"2024_1001_120300_F.MP4", DriveClock::Utc, kUtc + 181, kUtc + 241, 60, 0.5, 30}}},
        // The untracked middle clip is placed by its name; the drive's times are the
        // tracks' UTC.
        {"a clip without a track joins by its name",
         {Clip("2024_1001_120200_F.MP4", 60, 120, 1.0, 40),
          Clip("2024_1001_120000_F.MP4", 60, 0, 1.0, 30),
          Clip("2024_1001_120100_F.MP4", 60, kNone)},
         {{"2024_1001_120000_F.MP4 2024_1001_120100_F.MP4 2024_1001_120200_F.MP4", DriveClock::Utc,
           kUtc, kUtc + 180, 180, 2.0, 40}}},
        // 12:00:00 + 60 s ends at 12:01:00; the next name is 61 s later.
        {"names more than 60 s apart split",
         {Clip("20241001_120000_NF.mp4", 60, kNone), Clip("20241001_120201_NF.mp4", 60, kNone)},
         {{"20241001_120000_NF.mp4", DriveClock::Camera, kCamera, kCamera + 60, 60, 0, 0},
          {"20241001_120201_NF.mp4", DriveClock::Camera, kCamera + 121, kCamera + 181, 60, 0, 0}}},
        // a.mp4 closed at 1000, b.mp4 opened at 1070 - 60 = 1010; c.mp4 opened 1200 - 60.
        {"file times when nothing else tells",
         {Clip("a.mp4", 60, kNone, 0, 0, 1000), Clip("b.mp4", 60, kNone, 0, 0, 1070),
          Clip("c.mp4", 60, kNone, 0, 0, 1200)},
         {{"a.mp4 b.mp4", DriveClock::None, 0, 0, 120, 0, 0},
          {"c.mp4", DriveClock::None, 0, 0, 60, 0, 0}}},
        {"nothing to go by",
         {Clip("a.mp4", 60, kNone), Clip("b.mp4", 60, kNone)},
         {{"a.mp4", DriveClock::None, 0, 0, 60, 0, 0},
          {"b.mp4", DriveClock::None, 0, 0, 60, 0, 0}}},
        // The rear clips open up to two seconds after the front ones; a rear clip three
        // seconds off its front one has a place of its own, and its name's time, moved to
        // UTC by the hour the tracks tell, ends the drive at 12:02:03 + 60 s.
        {"other channels stand beside the front clip of their moment",
         {Clip("2024_1001_120100_R.MP4", 60, kNone), Clip("2024_1001_120000_F.MP4", 60, 0),
          Clip("2024_1001_120002_R.MP4", 60, kNone), Clip("2024_1001_120001_I.MP4", 60, kNone),
          Clip("2024_1001_120100_F.MP4", 60, 60), Clip("2024_1001_120203_R.MP4", 60, kNone),
          Clip("2024_1001_120200_F.MP4", 60, 120)},
         {{"2024_1001_120000_F.MP4[2024_1001_120002_R.MP4][2024_1001_120001_I.MP4] "
           "2024_1001_120100_F.MP4[2024_1001_120100_R.MP4] 2024_1001_120200_F.MP4 "
           "2024_1001_120203_R.MP4",
           DriveClock::Utc, kUtc, kUtc + 183, 183, 0, 0}}},
        // An event copy of the same minute overlaps the clip before it.
        {"an overlapping clip is the same drive",
         {Clip("20241001_120000_NF.mp4", 60, kNone), Clip("20241001_120030_EF.mp4", 20, kNone)},
         {{"20241001_120000_NF.mp4 20241001_120030_EF.mp4", DriveClock::Camera, kCamera,
           kCamera + 60, 60, 0, 0}}},
    };
    for (const GroupingCase& c : cases) {
        SCOPED_TRACE(c.rule);
        const std::vector<Drive> drives = GroupDrives(c.clips);
        ASSERT_EQ(drives.size(), c.drives.size());
        for (size_t i = 0; i < drives.size(); ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(Sequence(drives[i]), c.drives[i].sequence);
            EXPECT_EQ(drives[i].clock, c.drives[i].clock);
            EXPECT_EQ(drives[i].start, c.drives[i].start);
            EXPECT_EQ(drives[i].end, c.drives[i].end);
            EXPECT_EQ(drives[i].seconds, c.drives[i].seconds);
            EXPECT_NEAR(drives[i].km, c.drives[i].km, 1e-9);
            EXPECT_EQ(drives[i].maxKmh, c.drives[i].maxKmh);
        }
    }
}

} // namespace
