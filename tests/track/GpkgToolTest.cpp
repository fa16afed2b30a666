// The track tool's GeoPackage over a card the clip maker writes, read back by GDAL's
// ogrinfo: the layers' counts after one run, after a run killed midway and the run that
// completes it, after a run with nothing new, and after merging parts made apart; and the
// fleet script spreading a card over two "machines" that are both this one.
#include "tests/support/ClipMaker.h"
#include "tests/support/FleetCard.h"
#include "tests/support/OgrInfo.h"
#include "tests/support/Shell.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

using Counts = std::map<std::string, long>;

// The fleet card's 7 clips, 60 seconds with a position and 2 drives.
const Counts kWholeCard{{"clips", 7}, {"seconds", 60}, {"drives", 2}};

const std::vector<CardClip>& kCard = kFleetCard;

class GpkgTool : public ::testing::Test {
protected:
    void SetUp() override {
        if (!HaveOgrinfo()) {
            GTEST_SKIP() << "ogrinfo (gdal-bin) is not installed";
        }
        m_folder = TestFolder("gpkg");
        fs::create_directories(m_folder / "card");
        for (const CardClip& clip : kCard) {
            ASSERT_EQ(MakeClip(Clip(clip.name), clip.options + kFleetCardClipOptions).status, 0)
                << clip.name;
        }
    }

    void TearDown() override { fs::remove_all(m_folder); }

    std::string Clip(const std::string& name) const { return (m_folder / "card" / name).string(); }
    std::string File(const std::string& name) const { return (m_folder / name).string(); }

    fs::path m_folder;
};

ToolRun Track(const std::string& args, const std::string& environment = "") {
    return Shell(environment + " " + Quoted(OSTVIK_TRACK_TOOL) + " " + args);
}

struct Step {
    const char* what;
    std::string environment;
    bool succeeds;
    Counts counts;
};

TEST_F(GpkgTool, RunsKilledRepeatedAndCompletedLeaveEachClipOnce) {
    const std::string args = "--format gpkg --batch 3 --out " + Quoted(File("all.gpkg")) + " " +
                             Quoted((m_folder / "card").string());
    // Batches of 3 in path order: the first holds the first drive's three clips, 30 fixes;
    // killed then, no drive has been grouped yet.
    const std::vector<Step> steps{
        {"killed after the first batch",
         "OSTVIK_TRACK_KILL_AFTER_BATCHES=1",
         false,
         {{"clips", 3}, {"seconds", 30}, {"drives", 0}}},
        {"the next run completes it", "", true, kWholeCard},
        {"a run with nothing new", "", true, kWholeCard},
    };
    for (const Step& step : steps) {
        const ToolRun run = Track(args, step.environment);
        EXPECT_EQ(run.status == 0, step.succeeds) << step.what << ": " << run.err;
        EXPECT_EQ(OgrFeatureCounts(File("all.gpkg")), step.counts) << step.what;
    }
    EXPECT_NE(Track(args).err.find("0 clips added, 7 already held"), std::string::npos);
    // Each drive's route runs through its clips' fixes: 3 x 10, then 2 x 10.
    EXPECT_EQ(OgrLinePoints(File("all.gpkg"), "drives"), (std::vector<size_t>{30, 20}));
}

TEST_F(GpkgTool, AClipWrittenAgainReplacesItsRows) {
    const std::string args =
        "--format gpkg --out " + Quoted(File("all.gpkg")) + " " + Quoted(Clip(kCard[0].name));
    ASSERT_EQ(Track(args).status, 0);
    fs::last_write_time(Clip(kCard[0].name),
                        fs::last_write_time(Clip(kCard[0].name)) + std::chrono::seconds(5));
    const ToolRun again = Track(args);
    EXPECT_EQ(again.status, 0) << again.err;
    EXPECT_NE(again.err.find("1 clips added"), std::string::npos) << again.err;
    // One clip of ten fixes, alone: no drive.
    EXPECT_EQ(OgrFeatureCounts(File("all.gpkg")),
              (Counts{{"clips", 1}, {"seconds", 10}, {"drives", 0}}));
}

TEST_F(GpkgTool, MergedPartsEqualOneRunAndMergeAgainAddsNothing) {
    // The parts overlap in the fourth clip, which the merge must hold once.
    std::string first;
    std::string second;
    for (size_t i = 0; i < kCard.size(); ++i) {
        (i < 4 ? first : second) += " " + Quoted(Clip(kCard[i].name));
    }
    second += " " + Quoted(Clip(kCard[3].name));
    ASSERT_EQ(Track("--format gpkg --out " + Quoted(File("p1.gpkg")) + first).status, 0);
    ASSERT_EQ(Track("--format gpkg --out " + Quoted(File("p2.gpkg")) + second).status, 0);
    const std::string merge = "--merge-gpkg --out " + Quoted(File("all.gpkg")) + " " +
                              Quoted(File("p1.gpkg")) + " " + Quoted(File("p2.gpkg"));
    for (const char* what : {"merged", "merged again"}) {
        const ToolRun run = Track(merge);
        EXPECT_EQ(run.status, 0) << what << ": " << run.err;
        EXPECT_EQ(OgrFeatureCounts(File("all.gpkg")), kWholeCard) << what;
    }
}

TEST_F(GpkgTool, FleetScriptSpreadsTheCardOverTwoHostsAndMergesTheirParts) {
    if (Shell("command -v parallel >/dev/null").status != 0) {
        GTEST_SKIP() << "GNU parallel is not installed";
    }
    // GNU parallel counts ":" lines as one machine; 2/: is two job slots on it, each with a
    // part of its own. Two clips a job make four jobs, so both slots write.
    const std::string logins = File("logins");
    ASSERT_EQ(Shell("echo 2/: > " + Quoted(logins)).status, 0);
    const ToolRun run =
        Shell(Quoted(OSTVIK_FLEET_SCRIPT) + " --sshloginfile " + Quoted(logins) + " --tool " +
              Quoted(OSTVIK_TRACK_TOOL) + " --clips-per-job 2 --out " + Quoted(File("fleet.gpkg")) +
              " " + Quoted((m_folder / "card").string()));
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(fs::exists(File("fleet.gpkg.parts/part-1.gpkg")));
    EXPECT_TRUE(fs::exists(File("fleet.gpkg.parts/part-2.gpkg")));
    EXPECT_EQ(OgrFeatureCounts(File("fleet.gpkg")), kWholeCard) << run.err;
}

TEST_F(GpkgTool, RefusesAFileThatIsNoTrackGeoPackage) {
    const std::vector<std::string> commands{
        "--format gpkg --out " + Quoted(Clip(kCard[0].name)) + " " + Quoted(Clip(kCard[1].name)),
        "--merge-gpkg --out " + Quoted(File("all.gpkg")) + " " + Quoted(Clip(kCard[0].name)),
    };
    for (const std::string& command : commands) {
        const ToolRun run = Track(command);
        EXPECT_EQ(run.status, 1) << command;
        EXPECT_NE(run.err.find("ostvik-track: cannot "), std::string::npos) << run.err;
    }
}

TEST_F(GpkgTool, AMissingPartIsAFailureAndIsNotMade) {
    const ToolRun run = Track("--merge-gpkg --out " + Quoted(File("all.gpkg")) + " " +
                              Quoted(File("missing.gpkg")));
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("cannot merge"), std::string::npos) << run.err;
    EXPECT_FALSE(fs::exists(File("missing.gpkg")));
}

} // namespace
