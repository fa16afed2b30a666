// What ostvik-recover does with input it cannot recover: one line on standard error, a
// failing exit status, no output file (not even a partial one), and the input untouched.

#include "RecoverTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

namespace {

class RecoverRefusal : public ::testing::Test {
protected:
    void SetUp() override { m_folder = TestFolder("recover-refusal"); }
    void TearDown() override { std::filesystem::remove_all(m_folder); }

    std::string Path(const std::string& name) const { return (m_folder / name).string(); }

    void Write(const std::string& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    }

    // Runs the tool on `clip` and checks every mark of a clean refusal; `said` appears in
    // the line it must give.
    void ExpectRefused(const std::string& clip, const std::string& templateClip,
                       const std::string& said) {
        const std::string before = FileBytes(clip);
        const std::string out = Path("OUT.MP4");
        const ToolRun run =
            Recover((templateClip.empty() ? "" : "--template " + Quoted(templateClip) + " ") +
                    Quoted(clip) + " -o " + Quoted(out));
        EXPECT_NE(run.status, 0) << clip;
        EXPECT_EQ(run.err.rfind("ostvik-recover: ", 0), 0u) << run.err;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
        EXPECT_NE(run.err.find(said), std::string::npos) << run.err;
        EXPECT_FALSE(std::filesystem::exists(out)) << clip;
        EXPECT_FALSE(std::filesystem::exists(out + ".part")) << clip;
        EXPECT_EQ(FileBytes(clip), before) << clip << " was changed";
    }

    std::string CutClip() {
        const std::string clip = Path("CUT.MP4");
        EXPECT_EQ(
            MakeClip(clip, std::string(kClipOptions) + " --power-cut " + Quoted(Path("layout.csv")))
                .status,
            0);
        return clip;
    }

    std::filesystem::path m_folder;
};

TEST_F(RecoverRefusal, AFileOfZerosIsNoClip) {
    Write(Path("ZEROS.MP4"), std::string(1 << 20, '\0'));
    ExpectRefused(Path("ZEROS.MP4"), "", "no media data");
}

TEST_F(RecoverRefusal, RandomBytesAreNoClip) {
    std::mt19937 random(7);
    std::string bytes(1 << 20, '\0');
    for (char& byte : bytes) {
        byte = static_cast<char>(random());
    }
    Write(Path("RANDOM.MP4"), bytes);
    ExpectRefused(Path("RANDOM.MP4"), "", "no media data");
}

TEST_F(RecoverRefusal, MediaDataWithoutFramesGivesNothing) {
    std::string bytes("\0\0\0\x10"
                      "ftypisom\0\0\0\0"
                      "\0\0\0\0mdat",
                      24);
    std::mt19937 random(11);
    for (int i = 0; i < (1 << 18); ++i) {
        bytes += static_cast<char>(random());
    }
    Write(Path("EMPTY.MP4"), bytes);
    ExpectRefused(Path("EMPTY.MP4"), Path("EMPTY.MP4"), "no index");
    const std::string healthy = Path("HEALTHY.MP4");
    ASSERT_EQ(MakeClip(healthy, kClipOptions).status, 0);
    ExpectRefused(Path("EMPTY.MP4"), healthy, "no whole H.264 frame");
    ExpectRefused(Path("EMPTY.MP4"), "", "no template given");
}

TEST_F(RecoverRefusal, AWholeClipNeedsNoRecovery) {
    const std::string clip = Path("WHOLE.MP4");
    ASSERT_EQ(MakeClip(clip, kClipOptions).status, 0);
    ExpectRefused(clip, "", "nothing to recover");
}

TEST_F(RecoverRefusal, ATemplateOfAnotherSizeIsRefused) {
    const std::string other = Path("SMALL.MP4");
    ASSERT_EQ(MakeClip(other, "--seconds 2 --size 64x48 --fps 10 --no-b-frames").status, 0);
    ExpectRefused(CutClip(), other, "64x48");
}

TEST_F(RecoverRefusal, ATemplateOfAnotherCodecIsRefused) {
    const std::string other = Path("MPEG4.MP4");
    ASSERT_EQ(Shell("ffmpeg -v error -nostdin -f lavfi -i testsrc=size=160x120:rate=10 -t 1 "
                    "-c:v mpeg4 " +
                    Quoted(other))
                  .status,
              0);
    ExpectRefused(CutClip(), other, "not H.264");
}

TEST_F(RecoverRefusal, AFolderIsNoClip) {
    std::filesystem::create_directory(Path("FOLDER.MP4"));
    const ToolRun run = Recover(Quoted(Path("FOLDER.MP4")) + " -o " + Quoted(Path("OUT.MP4")));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_FALSE(std::filesystem::exists(Path("OUT.MP4")));
}

TEST_F(RecoverRefusal, AnExistingOutputIsNotOverwritten) {
    const std::string clip = CutClip();
    Write(Path("OUT.MP4"), "mine");
    const ToolRun run = Recover(Quoted(clip) + " -o " + Quoted(Path("OUT.MP4")));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(FileBytes(Path("OUT.MP4")), "mine");
}

TEST_F(RecoverRefusal, TheCutClipIsNeverTakenForTheOutputsPartialFile) {
    const std::string clip = Path("CLIP.part");
    std::filesystem::rename(CutClip(), clip);
    const std::string before = FileBytes(clip);
    const ToolRun run = Recover(Quoted(clip) + " -o " + Quoted(Path("CLIP")));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(FileBytes(clip), before);
    EXPECT_FALSE(std::filesystem::exists(Path("CLIP")));
}

} // namespace
