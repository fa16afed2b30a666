// What the player's recovery relies on beyond the tool: it hears how far the work has come
// and can stop it, leaving nothing behind, and it finds the whole clips beside a cut one
// that may lend it their setup.
#include "RecoverTestSupport.h"
#include "recover/ClipRecovery.h"
#include "recover/RecoveryPlace.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <vector>

namespace fs = std::filesystem;

namespace {

class RecoverProgress : public ::testing::Test {
protected:
    void SetUp() override {
        m_folder = TestFolder("recover-progress");
        ASSERT_EQ(MakeClip(Path("B.MP4"),
                           std::string(kClipOptions) + " --power-cut " + Quoted(Path("layout.csv")))
                      .status,
                  0);
        m_before = FileBytes(Path("B.MP4"));
    }
    void TearDown() override { fs::remove_all(m_folder); }

    std::string Path(const std::string& name) const { return (m_folder / name).string(); }

    // Checks every mark of a recovery that left nothing behind.
    void ExpectNothingWritten(const RecoveryOutcome& outcome) {
        EXPECT_FALSE(outcome.ok);
        EXPECT_EQ(outcome.why, "stopped before it was done");
        EXPECT_FALSE(fs::exists(Path("OUT.MP4")));
        EXPECT_FALSE(fs::exists(Path("OUT.MP4.part")));
        EXPECT_EQ(FileBytes(Path("B.MP4")), m_before);
    }

    fs::path m_folder;
    std::string m_before;
};

TEST_F(RecoverProgress, ProgressRunsFromTheStartToTheEndAndNeverBack) {
    std::vector<double> heard;
    const RecoveryOutcome outcome =
        RecoverClip(Path("B.MP4"), "", Path("OUT.MP4"), [&](double done) {
            heard.push_back(done);
            return true;
        });
    ASSERT_TRUE(outcome.ok) << outcome.why;
    ASSERT_GE(heard.size(), 2u);
    EXPECT_LE(heard.front(), 0.5) << "the walk comes first";
    EXPECT_GE(heard.back(), 0.99) << "the copy ends the work";
    for (size_t i = 1; i < heard.size(); ++i) {
        EXPECT_GE(heard[i], heard[i - 1]) << i;
    }
    // The copy is as good as one made without anyone listening.
    ASSERT_TRUE(RecoverClip(Path("B.MP4"), "", Path("QUIET.MP4")).ok);
    EXPECT_EQ(FileBytes(Path("OUT.MP4")), FileBytes(Path("QUIET.MP4")));
}

// Stopped in the walk, or in the copy once it has written part of the file.
TEST_F(RecoverProgress, AStopInTheWalkOrInTheCopyLeavesNoFile) {
    for (const double stopAt : {0.0, 0.75}) {
        SCOPED_TRACE(stopAt);
        const RecoveryOutcome outcome = RecoverClip(
            Path("B.MP4"), "", Path("OUT.MP4"), [stopAt](double done) { return done <= stopAt; });
        ExpectNothingWritten(outcome);
    }
}

TEST_F(RecoverProgress, NeighboursThatMayLendTheirSetupAreWholeClipsOfTheSameKind) {
    for (const char* name : {"A.MP4", "C.MP4", "E.MP4"}) {
        ASSERT_EQ(MakeClip(Path(name), kClipOptions).status, 0);
    }
    fs::copy_file(Path("A.MP4"), Path("D.MOV"));
    fs::copy_file(Path("A.MP4"), Path("B.recovered.MP4"));
    fs::copy_file(Path("B.MP4"), Path("BB.MP4")); // cut as well
    // Name order: A B B.recovered BB C E; nearest whole first, the cut BB left out.
    EXPECT_EQ(TemplateCandidates(Path("B.MP4"), 3),
              (std::vector<std::string>{Path("A.MP4"), Path("C.MP4"), Path("E.MP4")}));
    EXPECT_EQ(TemplateCandidates(Path("B.MP4"), 1), (std::vector<std::string>{Path("A.MP4")}));
    EXPECT_TRUE(IsCutClip(Path("B.MP4")));
    EXPECT_FALSE(IsCutClip(Path("A.MP4")));
    EXPECT_EQ(RecoveredClipPath(Path("B.MP4"), "/elsewhere"), Path("B.recovered.MP4"));
}

} // namespace
