// The loading order a clip's track goes through, as the player and the track tool both run
// it: what each source gave, or why nothing, and a refused sidecar said once.
#include "track/ClipTrackLoader.h"
#include "track/CGSampleStore.h"
#include "track/CMapTrackStore.h"
#include "track/CSpeedDialModel.h"
#include "track/ClipTrack.h"

#include "ChildRun.h"
#include "NmeaText.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

fs::path FreshFolder(const std::string& name) {
    const fs::path folder = fs::path(::testing::TempDir()) /
                            ("ostvik-loader-" + name + "-" + std::to_string(::getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    return folder;
}

// "source: given" or "source: why", in the order the sources were tried.
std::vector<std::string> Said(const ClipTrackLoad& load) {
    std::vector<std::string> said;
    for (const TrackSourceOutcome& outcome : load.outcomes) {
        said.push_back(outcome.source + ": " + (outcome.gave ? "given" : outcome.why));
    }
    return said;
}

// A card holds thousands of clips in one folder: listing it for each clip would make a
// card's worth of loads cost the square of its size.
TEST(ClipTrackLoader, AClipWithItsOwnTrackListsNoFolder) {
    const fs::path folder = FreshFolder("no-walk");
    fs::copy_file(fs::path(OSTVIK_TESTDATA) / "drive.MP4", folder / "CLIP.MP4");
    CMapTrackStore map;
    CGSampleStore chart;
    CSpeedDialModel dial;
    ClipTrackLoader loader((folder / "CLIP.MP4").string());
    ASSERT_TRUE(loader.LoadEmbedded({map, chart, dial}));
    EXPECT_EQ(loader.ReadSidecarLines([](const std::string&) {}), 0);
    EXPECT_FALSE(loader.Folder().Listed());
    fs::remove_all(folder);
}

TEST(ClipTrackLoader, EachSourceTriedSaysWhatItGave) {
    const std::string kNotAClip =
        "embedded: no camera's track data in the clip";
    const std::string fix = RmcAt("120000", "5930.0000", 'N', "01800.0000", 'E');
    struct Case {
        const char* name;
        const char* clip;
        const char* beside; // written beside the clip, with `text`
        std::string text;
        std::vector<std::string> said;
    };
    const std::vector<Case> cases{
        {"nothing beside",
         "CLIP.MOV",
         "",
         "",
         {kNotAClip, "sidecar log: missing", "logs beside the clip: none of a camera's logs is there",
          "sidecar lines: missing"}},
        // The camera's own form, under a name copied in lower case.
        {"sensor log",
         "CLIP.MOV",
         "clip.txt",
         "X:0 Y:0 Z:1 G:0 " + fix + "\r\n",
         {kNotAClip, "sidecar log: given", "sidecar lines: given"}},
        {"receiver log",
         "TRIP.AVI",
         "TRIP.TXT",
         fix + "\r\n" + fix + "\r\n",
         {kNotAClip, "sidecar log: given", "sidecar lines: not a camera's sensor log"}},
        {"MP4 beside a log",
         "CLIP.MP4",
         "CLIP.TXT",
         fix + "\r\n",
         {kNotAClip, "sidecar log: given", "sidecar lines: only a .MOV or .AVI clip has them"}},
        {"NMEA log of another maker",
         "CLIP.MP4",
         "CLIP.NMEA",
         fix + "\r\n",
         {kNotAClip, "sidecar log: missing", "NMEA log: given",
          "sidecar lines: only a .MOV or .AVI clip has them"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path folder = FreshFolder("outcomes");
        std::ofstream(folder / c.clip) << "not a clip";
        if (*c.beside != '\0') {
            std::ofstream(folder / c.beside, std::ios::binary) << c.text;
        }
        CMapTrackStore map;
        CGSampleStore chart;
        CSpeedDialModel dial;
        EXPECT_EQ(Said(LoadClipTrack((folder / c.clip).string(), {map, chart, dial},
                                     [](const std::string&) {})),
                  c.said);
    }
}

// A drive holds a track per clip: two loaded one after the other keep each its own
// positions, sensor samples and lines, and leave the process-wide dispatch alone.
TEST(ClipTrack, TracksOfTwoClipsHeldAtOnceKeepTheirOwn) {
    const fs::path folder = FreshFolder("two");
    const char* const latitudes[] = {"5930.0000", "6000.0000"}; // 59.5 and 60.0 degrees
    const char* const x[] = {"0.25", "-0.5"};
    ClipTrack tracks[2];
    for (int i = 0; i < 2; ++i) {
        const std::string clip = "CLIP" + std::to_string(i);
        std::ofstream(folder / (clip + ".MOV")) << "not a clip";
        std::ofstream(folder / (clip + ".TXT"), std::ios::binary)
            << "X:" << x[i] << " Y:0 Z:1 G:0 "
            << RmcAt("120000", latitudes[i], 'N', "01800.0000", 'E') << "\r\n";
        tracks[i].Load((folder / (clip + ".MOV")).string());
    }
    const double degrees[] = {59.5, 60.0};
    const float samples[] = {0.25f, -0.5f};
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        ASSERT_TRUE(tracks[i].Map().HasPosition(0));
        EXPECT_DOUBLE_EQ(tracks[i].Map().m_latitudes[0], degrees[i]);
        ASSERT_EQ(tracks[i].Chart().m_samples.size(), 1u);
        EXPECT_FLOAT_EQ(tracks[i].Chart().m_samples[0].x, samples[i]);
        EXPECT_EQ(tracks[i].SidecarLines().size(), 1u);
    }
}

// A FIFO under the sidecar's name is refused by the log step and by the lines step alike:
// one line on standard error, not one per step.
TEST(ClipTrackLoader, ARefusedSidecarIsSaidOnce) {
    const fs::path folder = FreshFolder("fifo");
    std::ofstream(folder / "CLIP.MOV") << "not a clip";
    ASSERT_EQ(::mkfifo((folder / "CLIP.TXT").c_str(), 0600), 0);
    const ChildRun run = RunInChild([&] {
        CMapTrackStore map;
        CGSampleStore chart;
        CSpeedDialModel dial;
        const ClipTrackLoad load = LoadClipTrack((folder / "CLIP.MOV").string(), {map, chart, dial},
                                                 [](const std::string&) {});
        return load.outcomes.at(1).why == "not a regular file" ? 0 : 1;
    });
    EXPECT_EQ(run.status, 0) << run.err;
    size_t lines = 0;
    for (size_t at = run.err.find("CLIP.TXT"); at != std::string::npos;
         at = run.err.find("CLIP.TXT", at + 1)) {
        ++lines;
    }
    EXPECT_EQ(lines, 1u) << run.err;
}

} // namespace
