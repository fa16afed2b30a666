// A cut clip whose encoder used B-frames, so its frames are stored in another order than
// they are shown: the rebuilt index must show them in order, evenly spaced from 0, without
// ffmpeg finding fault with the timestamps. Which pictures the whole frames hold comes from
// the clip maker's layout (ffprobe's presentation times of the clip before it was cut).

#include "RecoverTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace {

TEST(RecoverBFrames, FramesStoredOutOfOrderAreShownInOrder) {
    const std::filesystem::path folder = TestFolder("recover-bframes");
    const std::string healthy = (folder / "HEALTHY.MP4").string();
    const std::string full = (folder / "FULL.MP4").string();
    const std::string layoutFile = (folder / "layout.csv").string();
    const std::string options = "--seconds 4 --size 160x120 --fps 10 --frame-code";
    ASSERT_EQ(MakeClip(healthy, options).status, 0);
    ASSERT_EQ(
        MakeClip(full, options + " --colour 0x40a040 --power-cut " + Quoted(layoutFile)).status, 0);
    std::vector<LayoutRow> frames = ReadLayout(layoutFile);
    std::erase_if(frames, [](const LayoutRow& row) { return !row.frame; });
    ASSERT_EQ(frames.size(), 40u);
    ASSERT_FALSE(std::is_sorted(frames.begin(), frames.end(), [](const auto& a, const auto& b) {
        return a.shown < b.shown;
    })) << "the maker's clip has no B-frames";
    for (const uint64_t cut :
         {frames[17].offset + frames[17].size / 2, std::filesystem::file_size(full)}) {
        const std::string clip = (folder / "CUT.MP4").string();
        const std::string out = (folder / "OUT.MP4").string();
        CopyCut(full, clip, cut);
        const ToolRun run =
            Recover("--template " + Quoted(healthy) + " " + Quoted(clip) + " -o " + Quoted(out));
        ASSERT_EQ(run.status, 0) << run.err;
        std::vector<int> expected;
        for (const LayoutRow& row : frames) {
            if (row.offset + row.size <= cut) {
                expected.push_back(row.shown);
            }
        }
        std::sort(expected.begin(), expected.end());
        std::string errors;
        EXPECT_EQ(FrameCodes(out, errors), expected) << cut;
        EXPECT_EQ(errors, "") << cut;
        const std::vector<double> at = FrameTimes(out);
        ASSERT_EQ(at.size(), expected.size()) << cut;
        for (size_t i = 0; i < at.size(); ++i) {
            EXPECT_NEAR(at[i], 0.1 * static_cast<double>(i), 1e-3) << cut;
        }
        std::filesystem::remove(clip);
        std::filesystem::remove(out);
    }
    std::filesystem::remove_all(folder);
}

} // namespace
