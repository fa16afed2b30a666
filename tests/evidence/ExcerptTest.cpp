// An excerpt shows exactly the stretch asked for, carries that stretch's track inside (as
// NMEA our own reader reads back) and beside (GPX), states where a copied excerpt really
// starts, and leaves nothing behind when it is cancelled or cannot be made.

#include "ExcerptTestSupport.h"

#include "evidence/OverlayCaptions.h"
#include "tests/support/ClipMaker.h"
#include "tests/support/FileBytes.h"
#include "track/ClipTrack.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 240;
constexpr double kFrame = 0.1; // the clips run at 10 frames a second

// A 30 s clip with the frame code and a track of the clip maker's drive.
std::string MakeCodedClip(const std::filesystem::path& folder) {
    const std::string clip = (folder / "src.mp4").string();
    EXPECT_EQ(MakeClip(clip, "--seconds 30 --fps 10 --frame-code --size 320x240 --truth " +
                                 Quoted((folder / "truth.csv").string()))
                  .status,
              0);
    return clip;
}

size_t Count(const std::string& text, const std::string& what) {
    size_t count = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
        ++count;
    }
    return count;
}

} // namespace

TEST(Excerpt, OverlayShowsTheStretchWithItsTrackInsideAndBeside) {
    const auto folder = TestFolder("excerpt");
    const std::string clip = MakeCodedClip(folder);
    ExcerptRequest request;
    request.pieces = {{clip, 10, 20}};
    request.overlay = true;
    request.text = "Case 1";
    request.output = (folder / "out.mp4").string();

    const JobEnd end = RunExcerpt(request);
    ASSERT_TRUE(end.ok) << end.why;
    EXPECT_NEAR(ProbeDuration(request.output), 10.0, kFrame);
    EXPECT_EQ(FirstFrameCode(request.output, kWidth, kHeight), 100); // 10 s at 10 frames a second

    const std::vector<std::vector<double>> truth = ReadTruth((folder / "truth.csv").string());
    ASSERT_GE(truth.size(), 20u);
    ClipTrack back;
    back.Load(request.output);
    for (int second = 0; second < 10; ++second) {
        ASSERT_TRUE(back.Map().HasPosition(second)) << second;
        const std::vector<double>& source = truth[10 + second];
        EXPECT_NEAR(back.Map().m_latitudes[second], source[1], 1e-5) << second;
        EXPECT_NEAR(back.Map().m_longitudes[second], source[2], 1e-5) << second;
    }
    EXPECT_FALSE(back.Map().HasPosition(10));

    const std::string text = FileBytes(folder / "out.gpx");
    EXPECT_EQ(Count(text, "<trkpt"), 10u);
    EXPECT_EQ(FolderNames(folder),
              (std::vector<std::string>{"out.gpx", "out.mp4", "src.mp4", "truth.csv"}));
    std::filesystem::remove_all(folder);
}

TEST(Excerpt, OtherCameraInTheTopRightCorner) {
    const auto folder = TestFolder("excerpt");
    const std::string clip = MakeCodedClip(folder);
    const std::string rear = (folder / "rear.mp4").string();
    ASSERT_EQ(MakeClip(rear, "--seconds 30 --fps 10 --size 320x240 --colour red").status, 0);
    ExcerptRequest request;
    request.pieces = {{clip, 10, 20}};
    request.overlay = true;
    request.beside = {rear};
    request.output = (folder / "out.mp4").string();
    const JobEnd end = RunExcerpt(request);
    ASSERT_TRUE(end.ok) << end.why;
    // A quarter of the width (80 x 60) placed 16 pixels in from the top and right edges: the
    // middle of it is at (320 - 16 - 40, 16 + 30).
    const std::array<int, 3> pip = FirstFramePixel(request.output, kWidth, kHeight, 264, 46);
    EXPECT_GT(pip[0], 200);
    EXPECT_LT(pip[1], 60);
    EXPECT_LT(pip[2], 60);
    EXPECT_EQ(FirstFrameCode(request.output, kWidth, kHeight), 100);
    std::filesystem::remove_all(folder);
}

TEST(Excerpt, CopyStartsAtTheKeyFrameItStates) {
    const auto folder = TestFolder("excerpt");
    const std::string coded = MakeCodedClip(folder);
    // The same pictures with a key frame every 40 frames: at 0, 4, 8, 12, ... s.
    const std::string clip = (folder / "gop.mp4").string();
    ASSERT_EQ(Shell("ffmpeg -v error -nostdin -i " + Quoted(coded) +
                    " -map 0:v -c:v libx264 -g 40 -keyint_min 40 -sc_threshold 0 " + Quoted(clip))
                  .status,
              0);
    // The same again with its times starting at 5 s, as some cameras' clips do.
    const std::string late = (folder / "late.mp4").string();
    ASSERT_EQ(Shell("ffmpeg -v error -nostdin -i " + Quoted(clip) +
                    " -c copy -output_ts_offset 5 " + Quoted(late))
                  .status,
              0);
    struct Row {
        const std::string& clip;
        double from, to, snap;
        int firstFrame;
    };
    // The key frame at or before `from` is the multiple of 4 s below it, counted from the
    // clip's first time.
    for (const Row& row : {Row{clip, 10, 20, 2, 80}, Row{clip, 8, 14, 0, 80},
                           Row{clip, 13.5, 18, 1.5, 120}, Row{late, 10, 20, 2, 80}}) {
        ExcerptRequest request;
        request.pieces = {{row.clip, row.from, row.to}};
        request.output = (folder / "copy.mp4").string();
        EXPECT_NEAR(KeyframeSnapSeconds(request), row.snap, 1e-3) << row.from;
        const JobEnd end = RunExcerpt(request);
        ASSERT_TRUE(end.ok) << end.why;
        EXPECT_EQ(FirstFrameCode(request.output, kWidth, kHeight), row.firstFrame) << row.from;
        // Stream copy ends at the first packet whose decoding time reaches `to`; x264's three
        // B-frames and its two frames of decoding delay let up to six frames more through.
        const double duration = ProbeDuration(request.output);
        EXPECT_GE(duration, row.to - row.from + row.snap - kFrame / 2) << row.from;
        EXPECT_LE(duration, row.to - row.from + row.snap + 6.5 * kFrame) << row.from;
    }
    std::filesystem::remove_all(folder);
}

TEST(Excerpt, PiecesOfTwoClipsJoinInOrder) {
    const auto folder = TestFolder("excerpt");
    const std::string first = MakeCodedClip(folder);
    // Key frames every 4 s, so a copied piece from 25 s starts at 24 s.
    const std::string second = (folder / "second.mp4").string();
    ASSERT_EQ(Shell("ffmpeg -v error -nostdin -i " + Quoted(first) +
                    " -map 0:v -c:v libx264 -g 40 -keyint_min 40 -sc_threshold 0 " + Quoted(second))
                  .status,
              0);
    struct Row {
        bool overlay;
        double least, most; // duration
    };
    // 5 s of each; a copy starts 1 s early and may run six frames long at each cut.
    for (const Row& row : {Row{true, 10 - kFrame, 10 + kFrame}, Row{false, 11, 11 + 13 * kFrame}}) {
        ExcerptRequest request;
        request.pieces = {{second, 25, 30}, {second, 0, 5}};
        request.overlay = row.overlay;
        request.output = (folder / "joined.mp4").string();
        const JobEnd end = RunExcerpt(request);
        ASSERT_TRUE(end.ok) << end.why;
        const double duration = ProbeDuration(request.output);
        EXPECT_GE(duration, row.least) << row.overlay;
        EXPECT_LE(duration, row.most) << row.overlay;
        EXPECT_EQ(FirstFrameCode(request.output, kWidth, kHeight), row.overlay ? 250 : 240);
    }
    std::filesystem::remove_all(folder);
}

// An overlay excerpt across two clips keeps each clip's own other camera (red behind the
// first, blue behind the second) where the window showed it, and its sound runs on across
// both, the second clip having none: silence stands in for it.
TEST(Excerpt, EveryPieceKeepsItsOtherCameraWhereTheWindowPutItAndTheSoundRunsOn) {
    const auto folder = TestFolder("excerpt");
    const std::string coded = MakeCodedClip(folder);
    const std::string first = (folder / "first.mp4").string();
    ASSERT_EQ(Shell("ffmpeg -v error -nostdin -i " + Quoted(coded) +
                    " -f lavfi -i sine=frequency=440:duration=30 -map 0:v -map 1:a -c:v copy"
                    " -c:a aac -shortest " +
                    Quoted(first))
                  .status,
              0);
    const std::string red = (folder / "red.mp4").string();
    const std::string blue = (folder / "blue.mp4").string();
    ASSERT_EQ(MakeClip(red, "--seconds 30 --fps 10 --size 320x240 --colour red").status, 0);
    ASSERT_EQ(MakeClip(blue, "--seconds 30 --fps 10 --size 320x240 --colour blue").status, 0);
    ExcerptRequest request;
    request.pieces = {{first, 25, 30}, {coded, 0, 5}};
    request.overlay = true;
    request.beside = {red, blue};
    // Low on the left, a quarter wide: 80 x 60 at (16, 120), its middle at (56, 150).
    request.corner = {0.05, 0.5, 0.25};
    request.output = (folder / "joined.mp4").string();
    const JobEnd end = RunExcerpt(request);
    ASSERT_TRUE(end.ok) << end.why;
    const std::array<int, 3> early = FirstFramePixel(request.output, kWidth, kHeight, 56, 150, 2);
    EXPECT_GT(early[0], 200);
    EXPECT_LT(early[2], 60);
    const std::array<int, 3> late = FirstFramePixel(request.output, kWidth, kHeight, 56, 150, 7);
    EXPECT_LT(late[0], 60);
    EXPECT_GT(late[2], 200) << "the second clip keeps its own other camera";
    // Nothing of the default corner is covered.
    const std::array<int, 3> corner = FirstFramePixel(request.output, kWidth, kHeight, 264, 46, 7);
    EXPECT_FALSE(corner[2] > 200 && corner[0] < 60);
    const ToolRun sound = Shell("ffprobe -v error -select_streams a:0 -show_entries "
                                "stream=duration -of csv=p=0 " +
                                Quoted(request.output));
    EXPECT_NEAR(std::atof(sound.out.c_str()), 10.0, 0.2) << sound.out;
    std::filesystem::remove_all(folder);
}

TEST(Excerpt, CancelledJobLeavesNothing) {
    const auto folder = TestFolder("excerpt");
    const std::string clip = MakeCodedClip(folder);
    std::filesystem::remove(folder / "truth.csv");
    ExcerptRequest request;
    request.pieces = {{clip, 0, 30}};
    request.overlay = true;
    request.output = (folder / "out.mp4").string();

    const JobEnd end = RunExcerpt(request, [](ExcerptJob& job) { job.Cancel(); });
    EXPECT_FALSE(end.ok);
    EXPECT_EQ(end.why, "cancelled");
    EXPECT_EQ(FolderNames(folder), std::vector<std::string>{"src.mp4"});
    std::filesystem::remove_all(folder);
}

TEST(Excerpt, BadClipFailsWithAReasonAndLeavesNothing) {
    const auto folder = TestFolder("excerpt");
    const std::string clip = (folder / "bad.mp4").string();
    std::ofstream(clip) << "not a video\n";
    for (const bool overlay : {false, true}) {
        ExcerptRequest request;
        request.pieces = {{clip, 1, 2}};
        request.overlay = overlay;
        request.output = (folder / "out.mp4").string();
        const JobEnd end = RunExcerpt(request);
        EXPECT_FALSE(end.ok) << overlay;
        EXPECT_NE(end.why.find("Invalid data"), std::string::npos) << end.why;
        EXPECT_EQ(FolderNames(folder), std::vector<std::string>{"bad.mp4"});
    }
    std::filesystem::remove_all(folder);
}

TEST(Excerpt, NeverReplacesItsOwnClip) {
    const auto folder = TestFolder("excerpt");
    const std::string clip = MakeCodedClip(folder);
    const auto size = std::filesystem::file_size(clip);
    ExcerptRequest request;
    request.pieces = {{clip, 10, 20}};
    request.output = (folder / "." / "src.mp4").string();
    const JobEnd end = RunExcerpt(request);
    EXPECT_FALSE(end.started);
    EXPECT_NE(end.why.find("own clip"), std::string::npos) << end.why;
    EXPECT_EQ(std::filesystem::file_size(clip), size);
    std::filesystem::remove_all(folder);
}

TEST(ExportTool, UtcTimesOfTheDriveCutTheClip) {
    const auto folder = TestFolder("excerpt");
    const std::string clip = MakeCodedClip(folder);
    const std::string out = (folder / "out.mp4").string();
    // The clip maker's drive starts at 12:00:00 UTC, so these are its seconds 10 and 16 in
    // whatever zone the tool runs.
    const ToolRun run = Shell("TZ=UTC-2 " + Quoted(OSTVIK_EXPORT_TOOL) +
                              " --overlay --from 12:00:10Z --to 2024-06-01T12:00:16Z -o " +
                              Quoted(out) + " " + Quoted(clip));
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NEAR(ProbeDuration(out), 6.0, kFrame);
    EXPECT_EQ(FirstFrameCode(out, kWidth, kHeight), 100);
    std::filesystem::remove_all(folder);
}

TEST(OverlayCaptions, SpeedInTheUnitAskedAndUserTextShownAsTyped) {
    ExcerptSecond second;
    second.fix = true;
    second.hasSpeed = true;
    second.kmh = 100;
    second.latitude = -33.5;
    second.longitude = 151.25;
    second.utc = kUnknownUtc;
    // 100 km/h is 62.137 mile/h, truncated as the dial shows it.
    EXPECT_EQ(CaptionOf(second, true), "100 km/h\\NS 33.500000  E 151.250000");
    EXPECT_EQ(CaptionOf(second, false), "62 mph\\NS 33.500000  E 151.250000");
    EXPECT_EQ(AssPlainText("{\\b1}x\ny"), "\\{\\\xE2\x81\xA0"
                                          "b1\\}x y");
}
