// A clip with sound between its frames, as most cameras record, cut short: the sound is
// stepped over (it is not recovered), and every frame written whole before the cut comes
// back in order, counted by ffprobe's packets of the clip before it was cut.

#include "RecoverTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

TEST(RecoverSound, EveryWholeFrameBetweenTheSoundComesBack) {
    const std::filesystem::path folder = TestFolder("recover-sound");
    const std::string healthy = (folder / "HEALTHY.MP4").string();
    const std::string silent = (folder / "SILENT.MP4").string();
    const std::string whole = (folder / "SOUND.MP4").string();
    ASSERT_EQ(MakeClip(healthy, kClipOptions).status, 0);
    ASSERT_EQ(MakeClip(silent, std::string(kClipOptions) + " --colour 0x806040").status, 0);
    // ffmpeg writes the index last, where a power cut takes it away.
    ASSERT_EQ(Shell("ffmpeg -v error -nostdin -i " + Quoted(silent) +
                    " -f lavfi -i sine=frequency=440:duration=4 -map 0:v -map 1:a -c:v copy "
                    "-c:a aac -shortest " +
                    Quoted(whole))
                  .status,
              0);
    const std::vector<Packet> packets = VideoPackets(whole);
    ASSERT_EQ(packets.size(), 40u);
    for (const int cutFrame : {12, 37}) {
        const uint64_t cut = packets[cutFrame].offset + packets[cutFrame].size / 3;
        const std::string clip = (folder / "CUT.MP4").string();
        const std::string out = (folder / "OUT.MP4").string();
        CopyCut(whole, clip, cut);
        const ToolRun run =
            Recover("--template " + Quoted(healthy) + " " + Quoted(clip) + " -o " + Quoted(out));
        ASSERT_EQ(run.status, 0) << run.err;
        std::string errors;
        const std::vector<int> codes = FrameCodes(out, errors);
        EXPECT_EQ(errors, "");
        ASSERT_EQ(static_cast<int>(codes.size()), WholeBefore(packets, cut));
        for (size_t i = 0; i < codes.size(); ++i) {
            EXPECT_EQ(codes[i], static_cast<int>(i));
        }
        std::filesystem::remove(clip);
        std::filesystem::remove(out);
    }
    std::filesystem::remove_all(folder);
}

} // namespace
