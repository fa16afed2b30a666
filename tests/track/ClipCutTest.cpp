// A clip whose file ends before its index does: where it stops, as ffprobe's list of the
// packets the index names tells it (the first packet whose bytes pass the file's end).
#include "track/ClipCut.h"
#include "tests/support/ClipMaker.h"
#include "tests/support/Shell.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace {

TEST(ClipCut, AFileCutShortStopsAtTheFirstSampleItNoLongerHolds) {
    const std::filesystem::path folder = TestFolder("clip-cut");
    const std::string clip = (folder / "CLIP.MP4").string();
    ASSERT_EQ(MakeClip(clip, "--seconds 10 --size 64x48 --fps 10 --no-embedded").status, 0);
    EXPECT_FALSE(FindClipCut(clip).has_value());

    // pts_time,size,pos of every packet the index names, as ffprobe prints them.
    const std::string packets =
        Shell("ffprobe -v error -show_entries packet=pts_time,pos,size -of csv=p=0 " + Quoted(clip))
            .out;
    const std::string duration =
        Shell("ffprobe -v error -show_entries format=duration -of csv=p=0 " + Quoted(clip)).out;
    std::istringstream rows(packets);
    std::string row;
    struct Packet {
        double time = 0;
        double size = 0;
        double pos = 0;
    };
    std::vector<Packet> listed;
    while (std::getline(rows, row)) {
        Packet packet;
        std::istringstream fields(row);
        char comma = 0;
        fields >> packet.time >> comma >> packet.size >> comma >> packet.pos;
        listed.push_back(packet);
    }
    ASSERT_GT(listed.size(), 60u);
    // Cut inside the 60th packet: it and every packet past the new end are gone.
    const auto cutAt = static_cast<uintmax_t>(listed[60].pos + listed[60].size / 2);
    std::filesystem::resize_file(clip, cutAt);
    double expected = 1e9;
    for (const Packet& packet : listed) {
        if (packet.pos + packet.size > static_cast<double>(cutAt)) {
            expected = std::min(expected, packet.time);
        }
    }

    const std::optional<ClipCut> cut = FindClipCut(clip);
    ASSERT_TRUE(cut.has_value());
    // The index's decoding times run ahead of the frames' presentation by the few frames a
    // coder reorders (0.2 s here, which ffprobe's times take off); the note shows whole
    // seconds.
    EXPECT_NEAR(cut->at, expected, 0.3);
    EXPECT_GE(cut->at, expected);
    EXPECT_NEAR(cut->length, std::stod(duration), 0.05);
    std::filesystem::remove_all(folder);
}

} // namespace
