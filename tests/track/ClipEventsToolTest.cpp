// The track tool's list of driving events over clips the clip maker writes (see
// tests/make_test_clips.py): a gentle drive gives none, a hard stab of the brakes one, and a
// clip in the camera's locked folder one more.
#include "tests/support/Shell.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const std::string kEvents = std::string(OSTVIK_TESTDATA) + "/events";

TEST(ClipEventsTool, ListsEachClipsEvents) {
    const std::string smooth = kEvents + "/smooth.MP4";
    const std::string brake = kEvents + "/EVENT/brake.MP4";
    const ToolRun run = Shell(Quoted(OSTVIK_TRACK_TOOL) + " --events " + Quoted(smooth) + " " +
                              Quoted(kEvents + "/missing.MP4") + " " + Quoted(brake));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err,
              "ostvik-track: cannot read " + kEvents + "/missing.MP4: No such file or directory\n");
    // The maker's brake loses 18 km/h over one eased second from a 60 km/h cruise: at its
    // middle, second 25, 18 * pi / 2 = 28.3 km/h per second, 0.80 g (stored as 51/64), with
    // half the loss gone, 51 km/h. The car stands at second 0.
    EXPECT_EQ(run.out, "clip\tsecond\tkind\tpeak_g\tkmh\n" + brake + "\t0\tlocked\t\t0\n" + brake +
                           "\t25\tharsh-braking\t0.80\t51\n");
}

} // namespace
