// Finding the clips of one moment from every camera of a set, in folders laid out as cameras
// write them.
#include "track/ChannelClips.h"

#include "tests/support/ClipMaker.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct CardFile {
    std::string name;    // below the case's folder
    std::string options; // the clip maker's; empty for an empty file, where only names count
};

struct SetCase {
    std::string what;
    std::vector<CardFile> files;
    std::string opened;
    // "main C:path" then " C:path@offset" for each other clip; C is '-' for no channel.
    std::string expected;
};

// A set as the test writes it, paths below `folder`.
std::string Describe(const ChannelSet& set, const fs::path& folder) {
    const auto clip = [&](const ChannelClip& c) {
        return std::string(1, c.channel == 0 ? '-' : c.channel) + ":" +
               fs::path(c.path).lexically_relative(folder).string();
    };
    std::ostringstream text;
    text << "main " << clip(set.main);
    for (const ChannelClip& other : set.others) {
        text << " " << clip(other) << "@" << other.offsetSeconds;
    }
    return text.str();
}

TEST(ChannelClips, FindsTheOtherCamerasClipsOfTheMoment) {
    const std::string small = " --seconds 4 --size 64x48 --fps 5 --no-embedded";
    // The 70mai log makes the clip maker write --start as the movie's creation time.
    const std::string created = small + " --sidecar-kind 70mai --start 2024-06-01T12:00:0";
    const std::vector<SetCase> cases{
        {"letters",
         {{"2024_1001_160000_F.MP4", ""},
          {"2024_1001_160000_R.MP4", ""},
          {"2024_1001_160000_I.MP4", ""},
          {"2024_1001_160100_F.MP4", ""},
          {"2024_1001_160100_R.MP4", ""}},
         "2024_1001_160000_F.MP4",
         "main F:2024_1001_160000_F.MP4 R:2024_1001_160000_R.MP4@0 I:2024_1001_160000_I.MP4@0"},
        {"the rear opened",
         {{"2024_1001_160000_F.MP4", ""}, {"2024_1001_160000_R.MP4", ""}},
         "2024_1001_160000_R.MP4",
         "main F:2024_1001_160000_F.MP4 R:2024_1001_160000_R.MP4@0"},
        {"mode and channel",
         {{"20241001_160000_NF.mp4", ""}, {"20241001_160000_NR.mp4", ""}},
         "20241001_160000_NR.mp4",
         "main F:20241001_160000_NF.mp4 R:20241001_160000_NR.mp4@0"},
        {"A and B",
         {{"2024_1001_160000_0001A.MP4", ""}, {"2024_1001_160000_0001B.MP4", ""}},
         "2024_1001_160000_0001A.MP4",
         "main F:2024_1001_160000_0001A.MP4 R:2024_1001_160000_0001B.MP4@0"},
        {"rear a second later",
         {{"2024_1001_160000_F.MP4", ""}, {"2024_1001_160001_R.MP4", ""}},
         "2024_1001_160001_R.MP4",
         "main F:2024_1001_160000_F.MP4 R:2024_1001_160001_R.MP4@1"},
        {"nearest of a channel",
         {{"2024_1001_160001_F.MP4", ""},
          {"2024_1001_160000_R.MP4", ""},
          {"2024_1001_160002_R.MP4", ""}},
         "2024_1001_160001_F.MP4",
         "main F:2024_1001_160001_F.MP4 R:2024_1001_160000_R.MP4@-1"},
        {"another moment",
         {{"2024_1001_160000_F.MP4", ""},
          {"2024_1001_160003_R.MP4", ""},
          {"NO20241001-160000-000123R.MP4", ""}},
         "2024_1001_160000_F.MP4",
         "main F:2024_1001_160000_F.MP4"},
        {"lone clip", {{"holiday.mp4", ""}}, "holiday.mp4", "main -:holiday.mp4"},
        {"same names in channel folders",
         {{"Front/2024_1001_160000.MP4", small},
          {"Rear/2024_1001_160000.MP4", small},
          {"Inside/2024_1001_160001.MP4", small + " --seconds 12"}},
         "Rear/2024_1001_160000.MP4",
         "main F:Front/2024_1001_160000.MP4 R:Rear/2024_1001_160000.MP4@0"},
        {"plain names by creation time",
         {{"F/MOVI0001.MP4", created + "0"}, {"R/MOVI0001.MP4", created + "1"}},
         "F/MOVI0001.MP4",
         "main F:F/MOVI0001.MP4 R:R/MOVI0001.MP4@1"},
        {"no front: the one with a fix leads",
         {{"2024_1001_160000_R.MP4", small},
          {"2024_1001_160000_I.MP4", " --seconds 4 --size 64x48 --fps 5"}},
         "2024_1001_160000_R.MP4",
         "main I:2024_1001_160000_I.MP4 R:2024_1001_160000_R.MP4@0"},
    };
    const fs::path root = TestFolder("channels");
    for (size_t i = 0; i < cases.size(); ++i) {
        const SetCase& c = cases[i];
        SCOPED_TRACE(c.what);
        const fs::path folder = root / std::to_string(i);
        for (const CardFile& file : c.files) {
            const fs::path path = folder / file.name;
            fs::create_directories(path.parent_path());
            if (file.options.empty()) {
                std::ofstream(path.string()).put('\0');
            } else {
                ASSERT_EQ(MakeClip(path.string(), file.options).status, 0) << file.name;
            }
        }
        EXPECT_EQ(Describe(FindChannelClips((folder / c.opened).string()), folder), c.expected);
    }
    fs::remove_all(root);
}

// A clip named from a card pulled a moment ago: its folders throw nothing.
TEST(ChannelClips, MissingFolderLeavesTheClipAlone) {
    const std::string missing = "/nonexistent-ostvik-card/Rear/2024_1001_160000_R.MP4";
    const ChannelSet set = FindChannelClips(missing);
    EXPECT_EQ(set.main.path, missing);
    EXPECT_EQ(set.main.channel, 'R');
    EXPECT_TRUE(set.others.empty());
}

} // namespace
