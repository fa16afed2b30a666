// The track tool's GeoPackage over a card the clip maker writes, read back by GDAL's
// ogrinfo: the layers' counts after one run, after a run killed inside a batch and the run that
// completes it, after a run with nothing new, and after merging parts made apart; and the
// fleet script spreading a card over two "machines" that are both this one.
#include "tests/support/ClipMaker.h"
#include "tests/support/FleetCard.h"
#include "tests/support/OgrInfo.h"
#include "tests/support/Shell.h"

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <chrono>
#include <csignal>
#include <thread>

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

ToolRun Track(const std::string& args) {
    return Shell(Quoted(OSTVIK_TRACK_TOOL) + " " + args);
}

// A reader's transaction on the file (a connection that could write, but only reads): while it
// lasts, a writer can fill a transaction of its own but cannot commit it (SQLite's rollback journal
// needs the file to itself for that).
class ReadLock {
public:
    explicit ReadLock(const std::string& path) {
        if (sqlite3_open_v2(path.c_str(), &m_db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK) {
            // The killed writer's locks go with its process, a moment after the signal.
            sqlite3_busy_timeout(m_db, 10000);
            m_held = sqlite3_exec(m_db, "BEGIN; SELECT count(*) FROM clips;", nullptr, nullptr,
                                  nullptr) == SQLITE_OK;
        }
    }
    ~ReadLock() { sqlite3_close(m_db); }
    ReadLock(const ReadLock&) = delete;
    ReadLock& operator=(const ReadLock&) = delete;

    bool Held() const { return m_held; }
    // Ends the transaction and counts the clips again. A killed writer leaves its journal
    // behind; this read rolls it back, as the next writer would, where a reader opened
    // read-only (GDAL's) could not.
    long ReleaseAndCountClips() {
        sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr);
        long clips = -1;
        sqlite3_exec(
            m_db, "SELECT count(*) FROM clips",
            [](void* count, int, char** values, char**) {
                *static_cast<long*>(count) = std::atol(values[0]);
                return 0;
            },
            &clips, nullptr);
        return clips;
    }

private:
    sqlite3* m_db = nullptr;
    bool m_held = false;
};

TEST_F(GpkgTool, RunsKilledRepeatedAndCompletedLeaveEachClipOnce) {
    const std::string out = File("all.gpkg");
    std::string firstDrive;
    for (size_t i = 0; i < 3; ++i) {
        firstDrive += " " + Quoted(Clip(kCard[i].name));
    }
    ASSERT_EQ(Track("--format gpkg --out " + Quoted(out) + firstDrive).status, 0);
    // The first drive's three clips, 30 fixes, grouped into one drive.
    const Counts firstRun{{"clips", 3}, {"seconds", 30}, {"drives", 1}};
    ASSERT_EQ(OgrFeatureCounts(out), firstRun);

    const std::string whole =
        "--format gpkg --batch 2 --out " + Quoted(out) + " " + Quoted((m_folder / "card").string());
    ReadLock reader(out);
    ASSERT_TRUE(reader.Held());
    const ToolRun started =
        Shell(Quoted(OSTVIK_TRACK_TOOL) + " " + whole + " >/dev/null 2>&1 & echo $!");
    const pid_t worker = std::atoi(started.out.c_str());
    ASSERT_GT(worker, 0);
    // Its first batch has changed pages once the journal is there; it cannot have committed
    // while the reader holds the file, so the kill lands inside that transaction.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(8);
    while (!fs::exists(out + "-journal") && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_TRUE(fs::exists(out + "-journal")) << "the tool never began to write";
    ::kill(worker, SIGKILL);
    EXPECT_EQ(reader.ReleaseAndCountClips(), 3);
    EXPECT_EQ(OgrFeatureCounts(out), firstRun) << "killed inside its first batch";

    for (const char* what : {"the next run completes it", "a run with nothing new"}) {
        const ToolRun run = Track(whole);
        EXPECT_EQ(run.status, 0) << what << ": " << run.err;
        EXPECT_EQ(OgrFeatureCounts(out), kWholeCard) << what;
    }
    EXPECT_NE(Track(whole).err.find("0 clips added, 7 already held"), std::string::npos);
    // Each drive's route runs through its clips' fixes: 3 x 10, then 2 x 10.
    EXPECT_EQ(OgrLinePoints(out, "drives"), (std::vector<size_t>{30, 20}));
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
