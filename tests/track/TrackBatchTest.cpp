// The track tool's batch export over the folder tree the clip maker writes for it (see
// tests/make_test_clips.py): three clips with dated fixes, two positioned only by an undated
// log, two without any track, a FIFO named like a clip and a file that is no clip.
#include "NmeaText.h"
#include "tests/support/FileBytes.h"
#include "tests/support/Shell.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

const std::string kBatch = std::string(OSTVIK_TESTDATA) + "/batch";
const std::string kTrackTestData =
    (fs::path(OSTVIK_MKCLIP).parent_path().parent_path() / "tests/track/data").string();

ToolRun Track(const std::string& args) {
    return Shell(Quoted(OSTVIK_TRACK_TOOL) + " " + args);
}

// A fresh output folder for each run.
std::string OutDir(const std::string& name) {
    const std::string dir =
        ::testing::TempDir() + "ostvik-batch-" + name + "-" + std::to_string(::getpid());
    fs::remove_all(dir);
    return dir;
}

std::set<std::string> FilesIn(const std::string& dir) {
    std::set<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(dir)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

std::string Contents(const std::string& path) {
    return FileBytes(path);
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) {
        lines.push_back(line);
    }
    return lines;
}

// An empty clip at `clip` below `root` whose sidecar log (its name with .TXT for the
// extension) holds `seconds` dated fixes at latitude 59 degrees and `minutes`.
void PlantClip(const fs::path& root, const std::string& clip, int minutes, int seconds = 2) {
    const fs::path path = root / clip;
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary).flush();
    std::ofstream log(fs::path(path).replace_extension(".TXT"), std::ios::binary);
    char latitude[16];
    std::snprintf(latitude, sizeof latitude, "59%02d.0000", minutes);
    for (int s = 0; s < seconds; ++s) {
        char time[16];
        std::snprintf(time, sizeof time, "12%02d%02d", s / 60, s % 60);
        log << RmcAt(time, latitude, 'N', "01800.0000", 'E') << "\r\n";
    }
}

TEST(TrackBatch, EveryOutputNameIsUniqueWhateverItsLetterCase) {
    const fs::path in = OutDir("names-in");
    // Clips are named in path order: a/Y.MP4 comes before a/x.mp4.
    const std::vector<std::pair<std::string, std::string>> clips{
        {"a/Y.MP4", "Y.MP4.gpx"},   {"a/x.mp4", "x.mp4.gpx"},     {"b/x.mp4", "x.mp4-2.gpx"},
        {"b/y.mp4", "y.mp4-2.gpx"}, {"c/merged", "merged-2.gpx"}, {"c/x.mp4-2", "x.mp4-2-2.gpx"}};
    std::string args;
    for (size_t i = 0; i < clips.size(); ++i) {
        PlantClip(in, clips[i].first, static_cast<int>(i));
        args += " " + Quoted((in / clips[i].first).string());
    }
    const std::string out = OutDir("names");
    const ToolRun run = Track("--format gpx --merge --out-dir " + Quoted(out) + args);
    EXPECT_EQ(run.status, 0) << run.err;
    std::set<std::string> expected{"merged.gpx"};
    for (const auto& [clip, name] : clips) {
        expected.insert(name);
        const ToolRun one = Track("--format gpx " + Quoted((in / clip).string()));
        EXPECT_EQ(Contents(out + "/" + name), one.out) << clip;
    }
    EXPECT_EQ(FilesIn(out), expected);
    // The merge itself, a segment per clip, not a clip's track under its name.
    const std::string merged = Contents(out + "/merged.gpx");
    size_t segments = 0;
    for (size_t at = merged.find("<trkseg>"); at != std::string::npos;
         at = merged.find("<trkseg>", at + 1)) {
        ++segments;
    }
    EXPECT_EQ(segments, clips.size());
}

TEST(TrackBatch, AFailedWriteLeavesTheEarlierFileAndNoPartOfTheNewOne) {
    const fs::path in = OutDir("full-in");
    PlantClip(in, "long.mp4", 0, 90); // its CSV is several kilobytes
    const std::string out = OutDir("full");
    const std::string args = " --out-dir " + Quoted(out) + " " + Quoted((in / "long.mp4").string());
    ASSERT_EQ(Track(args).status, 0);
    const std::string good = Contents(out + "/long.mp4.csv");
    ASSERT_GT(good.size(), 2048u);
    // A file size limit of one block fails every write past it, as a full disk does.
    const ToolRun full = Shell("ulimit -f 1; trap '' XFSZ; " + Quoted(OSTVIK_TRACK_TOOL) + args);
    EXPECT_EQ(full.status, 1);
    EXPECT_NE(full.err.find("long.mp4.csv"), std::string::npos) << full.err;
    EXPECT_EQ(Contents(out + "/long.mp4.csv"), good);
    EXPECT_EQ(FilesIn(out), std::set<std::string>{"long.mp4.csv"});
}

TEST(TrackBatch, AFolderThatCannotBeSearchedIsAFailure) {
    const fs::path in = OutDir("locked-in");
    PlantClip(in, "open/x.mp4", 0);
    PlantClip(in, "locked/y.mp4", 1);
    ::chmod((in / "locked").c_str(), 0);
    // Root reads any folder: the tool runs without the capabilities that let it.
    const std::string asUser =
        ::geteuid() == 0 ? "setpriv --bounding-set=-dac_override,-dac_read_search -- " : "";
    if (Shell(asUser + "true").status != 0) {
        GTEST_SKIP() << "setpriv(1) cannot drop the capabilities here";
    }
    const std::string out = OutDir("locked");
    const ToolRun run = Shell(asUser + Quoted(OSTVIK_TRACK_TOOL) + " --out-dir " + Quoted(out) +
                              " " + Quoted(in.string()));
    ::chmod((in / "locked").c_str(), 0755);
    EXPECT_EQ(run.status, 1);
    const std::vector<std::string> errors = Lines(run.err);
    ASSERT_EQ(errors.size(), 1u) << run.err;
    EXPECT_NE(errors[0].find((in / "locked").string()), std::string::npos) << run.err;
    EXPECT_EQ(FilesIn(out), std::set<std::string>{"x.mp4.csv"});
}

TEST(TrackBatch, FolderTreeGivesAFilePerClipAndReportsTheUnreadableOne) {
    const std::string out = OutDir("csv");
    const ToolRun run = Track("--out-dir " + Quoted(out) + " " + Quoted(kBatch));
    EXPECT_EQ(run.status, 1); // the FIFO failed, the others were still written
    const std::vector<std::string> errors = Lines(run.err);
    ASSERT_EQ(errors.size(), 1u) << run.err; // no progress line when stderr is no terminal
    EXPECT_NE(errors[0].find("stuck.MP4"), std::string::npos);
    EXPECT_EQ(FilesIn(out), (std::set<std::string>{
                                "alpha.mp4.csv", "empty.mp4.csv", "empty.mp4-2.csv", "mid.Mp4.csv",
                                "nodate-a.mp4.csv", "nodate-b.MP4.csv", "zulu.MOV.csv"}));
    for (const std::string clip : {"A/mid.Mp4", "A/sub/zulu.MOV", "c/nodate-b.MP4"}) {
        const ToolRun one = Track(Quoted(kBatch + "/" + clip));
        ASSERT_EQ(one.status, 0) << one.err;
        EXPECT_EQ(Contents(out + "/" + fs::path(clip).filename().string() + ".csv"), one.out)
            << clip;
    }
}

TEST(TrackBatch, MergeIsOneValidGpxWithASegmentPerClipInTimeOrder) {
    const std::string out = OutDir("merge");
    const ToolRun run =
        Track("--format gpx --merge --out-dir " + Quoted(out) + " " + Quoted(kBatch + "/c") + " " +
              Quoted(kBatch + "/b") + " " + Quoted(kBatch + "/A"));
    EXPECT_EQ(run.status, 1) << run.err;
    const std::string merged = out + "/merged.gpx";
    EXPECT_EQ(Shell("xmllint --noout --schema " + Quoted(kTrackTestData + "/gpx.xsd") + " " +
                    Quoted(merged))
                  .status,
              0);
    const ToolRun segments =
        Shell(Quoted(OSTVIK_PYTHON) + " " + Quoted(kTrackTestData + "/export_summary.py") +
              " segments " + Quoted(merged));
    ASSERT_EQ(segments.status, 0) << segments.err;
    // Each clip maker clip holds two seconds from its --origin and --start; the dated clips
    // come in time order, then the undated ones by path; clips without a position add none.
    EXPECT_EQ(Lines(segments.out), (std::vector<std::string>{
                                       "2 59.000000 18.000000 2024-06-01T10:00:00Z",
                                       "2 60.000000 18.000000 2024-06-01T12:00:00Z",
                                       "2 61.000000 18.000000 2024-06-01T14:00:00Z",
                                       "1 10.000000 18.000000 -",
                                       "1 11.000000 18.000000 -",
                                   }));
    EXPECT_EQ(FilesIn(out).count("zulu.MOV.gpx"), 1u);
}

TEST(TrackBatch, ExitStatusIsZeroOnlyWhenEveryClipWasRead) {
    const std::string out = OutDir("status");
    const std::string clips = Quoted(kBatch + "/A/mid.Mp4") + " " + Quoted(kBatch + "/b");
    const ToolRun all = Track("--format kml --out-dir " + Quoted(out) + " " + clips);
    EXPECT_EQ(all.status, 0) << all.err;
    EXPECT_EQ(all.err, "");
    EXPECT_EQ(FilesIn(out),
              (std::set<std::string>{"mid.Mp4.kml", "alpha.mp4.kml", "nodate-a.mp4.kml"}));

    const ToolRun missing =
        Track("--out-dir " + Quoted(out) + " " + clips + " " + Quoted(kBatch + "/no-such.MP4"));
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(Lines(missing.err).size(), 1u) << missing.err;

    const std::string empty = OutDir("empty-in");
    fs::create_directories(empty);
    EXPECT_EQ(Track("--out-dir " + Quoted(out) + " " + Quoted(empty)).status, 1);

    EXPECT_EQ(Track("--merge " + clips).status, 2);
    EXPECT_EQ(Track(clips + " --out-dir").status, 2);
    EXPECT_EQ(Track("--out-dir= " + clips).status, 2);
    EXPECT_EQ(Track("--format kmz --out-dir " + Quoted(out) + " " + clips).status, 2);
}

TEST(TrackBatch, ProgressLineOnlyOnATerminal) {
    if (Shell("command -v script").status != 0) {
        GTEST_SKIP() << "script(1) is needed to give the tool a terminal";
    }
    const std::string out = OutDir("tty");
    // script runs the tool on a pseudo-terminal and copies all it wrote there to stdout.
    const ToolRun run = Shell(
        "script -qec " +
        Quoted(Quoted(OSTVIK_TRACK_TOOL) + " --out-dir " + Quoted(out) + " " + Quoted(kBatch)) +
        " /dev/null");
    EXPECT_NE(run.out.find("8/8 clips, 1 failed"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("stuck.MP4"), std::string::npos);
}

} // namespace
