// A clip whose index the camera wrote in front of its data (as cameras that reserve room for
// it do), cut short in the data: the index promises frames the file no longer holds. The
// frames that are whole come back, counted by ffprobe's packets of the clip before the cut.

#include "RecoverTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

void ExpectWholeFramesBack(const std::string& clip, const std::string& healthy,
                           const std::string& out, int whole) {
    const ToolRun run =
        Recover("--template " + Quoted(healthy) + " " + Quoted(clip) + " -o " + Quoted(out));
    ASSERT_EQ(run.status, 0) << run.err;
    std::string errors;
    const std::vector<int> codes = FrameCodes(out, errors);
    EXPECT_EQ(errors, "");
    ASSERT_EQ(static_cast<int>(codes.size()), whole);
    for (int i = 0; i < whole; ++i) {
        EXPECT_EQ(codes[i], i);
    }
}

TEST(RecoverIndexedClip, TheFramesBeforeTheCutComeBackThoughTheIndexPromisedMore) {
    const std::filesystem::path folder = TestFolder("recover-indexed");
    const std::string healthy = (folder / "HEALTHY.MP4").string();
    const std::string clip = (folder / "CUT.MP4").string();
    ASSERT_EQ(MakeClip(healthy, kClipOptions).status, 0);
    const std::vector<Packet> packets = VideoPackets(healthy);
    ASSERT_EQ(packets.size(), 40u);
    const uint64_t cut = packets[25].offset + packets[25].size / 2;
    CopyCut(healthy, clip, cut);
    ExpectWholeFramesBack(clip, healthy, (folder / "OUT1.MP4").string(), 25);

    // The media box's size mended to the cut: only the chunk offsets past the end tell.
    std::string bytes = FileBytes(clip);
    const uint64_t media = packets[0].offset - 8;
    ASSERT_EQ(bytes.substr(media + 4, 4), "mdat");
    const uint64_t size = cut - media;
    for (int i = 0; i < 4; ++i) {
        bytes[media + i] = static_cast<char>(size >> (24 - 8 * i));
    }
    std::ofstream(clip, std::ios::binary | std::ios::trunc) << bytes;
    ExpectWholeFramesBack(clip, healthy, (folder / "OUT2.MP4").string(), 25);
    std::filesystem::remove_all(folder);
}

} // namespace
