// The track tool's list of drives over a card the clip maker writes: two drives minutes
// apart, a clip without a track inside each, and a rear clip beside the first front clip,
// and a clip the camera locked.
#include "tests/support/ClipMaker.h"
#include "tests/support/Shell.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

struct CardClip {
    std::string name;
    std::string options;
};

TEST(DrivesTool, ListsEachDriveOfACard) {
    const std::filesystem::path card = TestFolder("drives");
    std::filesystem::create_directories(card / "DCIM" / "EVENT");
    // The camera's clock is two hours ahead of UTC. Steady drives due north: at 72 km/h,
    // 20 m between each of a clip's 10 fixes, 9 x 20 m = 180 m a clip; at 36 km/h, 90 m.
    const std::string small = " --seconds 10 --size 64x48 --fps 5";
    const std::vector<CardClip> clips{
        {"2024_0601_140000_F.MP4", "--start 2024-06-01T12:00:00 --steady 72 --origin 59,18"},
        {"2024_0601_140000_R.MP4", "--no-embedded"},
        {"2024_0601_140010_F.MP4", "--no-embedded"},
        {"2024_0601_140020_F.MP4", "--start 2024-06-01T12:00:20 --steady 72 --origin 59.01,18"},
        {"EVENT/2024_0601_140500_F.MP4",
         "--start 2024-06-01T12:05:00 --steady 36 --origin 59.02,18"},
        {"2024_0601_140510_F.MP4", "--no-embedded"},
    };
    for (const CardClip& clip : clips) {
        ASSERT_EQ(MakeClip((card / "DCIM" / clip.name).string(), clip.options + small).status, 0)
            << clip.name;
    }
    const ToolRun run = Shell(Quoted(OSTVIK_TRACK_TOOL) + " --drives " + Quoted(card.string()));
    EXPECT_EQ(run.status, 0) << run.err;
    const std::string dcim = (card / "DCIM").string() + "/";
    // The first drive runs from its first clip's 12:00:00 to the end of its third at
    // 12:00:30, the middle clip placed by its name; the second from 12:05:00 to the end
    // of its untracked second clip, 10 s long, at 12:05:20. Two tracks of 180 m make
    // 0.4 km; one of 90 m makes 0.1 km. Steady driving brakes nowhere; the clip the camera
    // kept in its EVENT folder is the second drive's one event.
    EXPECT_EQ(run.out, "first_clip\tlast_clip\tclips\tstart\tend\tseconds\tkm\tmax_kmh\tevents\n" +
                           dcim + "2024_0601_140000_F.MP4\t" + dcim +
                           "2024_0601_140020_F.MP4\t4\t2024-06-01T12:00:00Z\t"
                           "2024-06-01T12:00:30Z\t30\t0.4\t72\t0\n" +
                           dcim + "EVENT/2024_0601_140500_F.MP4\t" + dcim +
                           "2024_0601_140510_F.MP4\t2\t2024-06-01T12:05:00Z\t"
                           "2024-06-01T12:05:20Z\t20\t0.1\t36\t1\n");
    std::filesystem::remove_all(card);
}

} // namespace
