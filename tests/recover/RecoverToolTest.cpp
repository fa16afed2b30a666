// ostvik-recover on clips the clip maker writes as a camera leaves them when its power is
// cut, cut shorter still at chosen places: inside a frame, inside a GPS block, after a
// whole frame. What must come back is judged by the maker's own record of where each
// frame and block lies, by ffmpeg's decoding and by the numbers burnt into the pictures.

#include "RecoverTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>

namespace {

class RecoverTool : public ::testing::Test {
protected:
    void SetUp() override {
        m_folder = TestFolder("recover");
        m_template = (m_folder / "HEALTHY.MP4").string();
        m_full = (m_folder / "FULL.MP4").string();
        ASSERT_EQ(MakeClip(m_template, kClipOptions).status, 0);
        // Other content than the template: another picture and another drive.
        ASSERT_EQ(MakeClip(m_full, std::string(kClipOptions) +
                                       " --colour 0x3060c0 --origin 48.85,2.35 --truth " +
                                       Quoted(Path("truth.csv")) + " --power-cut " +
                                       Quoted(Path("layout.csv")))
                      .status,
                  0);
        m_layout = ReadLayout(Path("layout.csv"));
    }
    void TearDown() override { std::filesystem::remove_all(m_folder); }

    std::string Path(const std::string& name) const { return (m_folder / name).string(); }

    const LayoutRow& Row(bool frame, int index) const {
        for (const LayoutRow& row : m_layout) {
            if (row.frame == frame && row.index == index) {
                return row;
            }
        }
        ADD_FAILURE() << "no such row in the layout";
        return m_layout.front();
    }

    // Frames the camera wrote whole before the cut, by the maker's layout.
    int WholeFramesBefore(uint64_t cut) const {
        int whole = 0;
        for (const LayoutRow& row : m_layout) {
            whole += row.frame && row.offset + row.size <= cut ? 1 : 0;
        }
        return whole;
    }

    std::filesystem::path m_folder;
    std::string m_template;
    std::string m_full;
    std::vector<LayoutRow> m_layout;
};

TEST_F(RecoverTool, TheMakersLayoutHoldsEveryFrameOfTheVideo) {
    const ToolRun probe = Shell("ffprobe -v error -count_frames -select_streams v:0 "
                                "-show_entries stream=nb_read_frames -of csv=p=0 " +
                                Quoted(m_template));
    EXPECT_EQ(WholeFramesBefore(UINT64_MAX), std::atoi(probe.out.c_str()));
    EXPECT_EQ(WholeFramesBefore(UINT64_MAX), 40);
}

TEST_F(RecoverTool, EveryWholeFrameComesBackInOrderWhereverTheClipIsCut) {
    const uint64_t cuts[] = {
        Row(true, 7).offset + Row(true, 7).size / 2,   // inside a frame
        Row(true, 10).offset + 3,                      // inside a key frame's parameter sets
        Row(false, 2).offset + 60,                     // inside a GPS block's record
        Row(false, 3).offset + Row(false, 3).size / 2, // inside a block's padding
        Row(true, 26).offset,                          // right after a whole frame
        std::filesystem::file_size(m_full),            // nothing lost
    };
    for (const uint64_t cut : cuts) {
        const std::string clip = Path("CUT.MP4");
        const std::string out = Path("OUT.MP4");
        CopyCut(m_full, clip, cut);
        const std::string before = FileBytes(clip);
        const ToolRun run =
            Recover("--template " + Quoted(m_template) + " " + Quoted(clip) + " -o " + Quoted(out));
        ASSERT_EQ(run.status, 0) << cut << ": " << run.err;
        EXPECT_EQ(FileBytes(clip), before) << "the cut clip was changed";
        EXPECT_FALSE(std::filesystem::exists(out + ".part"));
        std::string errors;
        const std::vector<int> codes = FrameCodes(out, errors);
        EXPECT_EQ(errors, "") << cut;
        const int whole = WholeFramesBefore(cut);
        ASSERT_EQ(static_cast<int>(codes.size()), whole) << cut;
        for (int i = 0; i < whole; ++i) {
            EXPECT_EQ(codes[i], i) << cut;
        }
        const std::vector<double> at = FrameTimes(out);
        ASSERT_EQ(static_cast<int>(at.size()), whole) << cut;
        for (size_t i = 0; i < at.size(); ++i) {
            EXPECT_NEAR(at[i], 0.1 * static_cast<double>(i), 1e-3) << "frame spacing at " << cut;
        }
        std::filesystem::remove(clip);
        std::filesystem::remove(out);
    }
}

TEST_F(RecoverTool, AMediaBoxWithATooSmall64BitSizeRunsToTheEndAllTheSame) {
    // Cameras that write the 64-bit header leave its size at the header's own 16 bytes.
    std::string bytes = FileBytes(m_full);
    const size_t media = bytes.find(std::string("\0\0\0\0mdat", 8));
    ASSERT_NE(media, std::string::npos);
    bytes.replace(media, 8, std::string("\0\0\0\1mdat\0\0\0\0\0\0\0\x10", 16));
    const uint64_t cut = Row(true, 18).offset + 8 + Row(true, 18).size / 2;
    const std::string clip = Path("LARGE.MP4");
    std::ofstream(clip, std::ios::binary) << bytes.substr(0, cut);
    const std::string out = Path("OUT.MP4");
    const ToolRun run =
        Recover("--template " + Quoted(m_template) + " " + Quoted(clip) + " -o " + Quoted(out));
    ASSERT_EQ(run.status, 0) << run.err;
    std::string errors;
    const std::vector<int> codes = FrameCodes(out, errors);
    EXPECT_EQ(errors, "");
    ASSERT_EQ(codes.size(), 18u);
    EXPECT_EQ(codes.back(), 17);
}

TEST_F(RecoverTool, TheGpsTrackUpToTheCutEqualsTheDrive) {
    const std::vector<std::vector<double>> truth = ReadTruth(Path("truth.csv"));
    ASSERT_EQ(truth.size(), 4u);
    const std::string clip = Path("CUT.MP4");
    const std::string out = Path("OUT.MP4");
    CopyCut(m_full, clip, Row(false, 3).offset + 40); // inside the fourth second's block
    ASSERT_EQ(
        Recover("--template " + Quoted(m_template) + " " + Quoted(clip) + " -o " + Quoted(out))
            .status,
        0);
    const ToolRun track = Shell(Quoted(OSTVIK_TRACK_TOOL) + " --format csv " + Quoted(out));
    std::vector<std::vector<double>> rows = NumberRows(track.out);
    ASSERT_FALSE(rows.empty());
    rows.erase(rows.begin()); // the header
    ASSERT_EQ(rows.size(), 3u) << track.out;
    for (size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i][0], truth[i][0]);
        EXPECT_NEAR(rows[i][2], truth[i][1], 1e-5) << "latitude of second " << i;
        EXPECT_NEAR(rows[i][3], truth[i][2], 1e-5) << "longitude of second " << i;
        EXPECT_NEAR(rows[i][4], std::trunc(truth[i][3]), 1.0) << "speed of second " << i;
    }
}

TEST_F(RecoverTool, WithoutATemplateTheStreamsOwnParameterSetsSetUpTheVideo) {
    const std::string clip = Path("CUT.MP4");
    CopyCut(m_full, clip, Row(true, 33).offset + 5);
    const ToolRun run = Recover(Quoted(clip));
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string out = Path("CUT.recovered.MP4");
    std::string errors;
    const std::vector<int> codes = FrameCodes(out, errors);
    EXPECT_EQ(errors, "");
    ASSERT_EQ(codes.size(), 33u);
    EXPECT_EQ(codes.back(), 32);
    const std::vector<double> at = FrameTimes(out);
    ASSERT_EQ(at.size(), 33u);
    EXPECT_NEAR(at.back(), 3.2, 1e-3);
}

TEST_F(RecoverTool, DamageWhereABlockShouldBeIsSkippedToTheNextFrame) {
    const std::string clip = Path("RANDOM.MP4");
    ASSERT_EQ(MakeClip(clip, std::string(kClipOptions) + " --filler random --power-cut " +
                                 Quoted(Path("random.csv")))
                  .status,
              0);
    m_layout = ReadLayout(Path("random.csv"));
    {
        // The block's header gone: the walk must find the frames behind its random padding.
        std::fstream file(clip, std::ios::in | std::ios::out | std::ios::binary);
        file.seekp(static_cast<std::streamoff>(Row(false, 2).offset));
        file.write("\x5a\x17\xc3\x99\xe0\x44\x01\x7f\x00\x00\x00\x09", 12);
    }
    const std::string out = Path("OUT.MP4");
    const ToolRun run =
        Recover("--template " + Quoted(m_template) + " " + Quoted(clip) + " -o " + Quoted(out));
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("(sound or damage) skipped"), std::string::npos) << run.out;
    std::string errors;
    const std::vector<int> codes = FrameCodes(out, errors);
    EXPECT_EQ(errors, "");
    ASSERT_EQ(codes.size(), 40u);
    EXPECT_EQ(codes[20], 20);
    EXPECT_EQ(codes.back(), 39);
}

} // namespace
