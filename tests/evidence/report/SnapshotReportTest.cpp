// The snapshot's one-page report: the frame on the page, its time, place and speed as the
// clip maker recorded them, and the clip's hash as sha256sum gives it; a set --verify passes,
// and a folder that takes no files gets nothing at all.

#include "evidence/report/SnapshotReport.h"
#include "track/ClipTrack.h"

#include "tests/support/ClipMaker.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <regex>

namespace {

// The frame painted for the page: one colour the rest of the page never uses.
const QColor kFrame(0x30, 0x60, 0xc0);

std::string Sha256Sum(const std::filesystem::path& path) {
    const ToolRun run = Shell("sha256sum " + Quoted(path.string()));
    return run.status == 0 ? run.out.substr(0, 64) : "sha256sum failed";
}

// The pixels of page 1 at 72 dots an inch that are the frame's colour.
int FramePixels(const std::filesystem::path& pdf) {
    const ToolRun page = Shell("pdftoppm -r 72 -f 1 -l 1 " + Quoted(pdf.string()));
    int width = 0;
    int height = 0;
    int most = 0;
    int read = 0;
    if (page.status != 0 ||
        std::sscanf(page.out.c_str(), "P6 %d %d %d%n", &width, &height, &most, &read) != 3) {
        return -1;
    }
    int count = 0;
    for (size_t at = static_cast<size_t>(read) + 1; at + 2 < page.out.size(); at += 3) {
        const auto near = [&](size_t i, int value) {
            return std::abs(static_cast<unsigned char>(page.out[at + i]) - value) <= 6;
        };
        count += near(0, kFrame.red()) && near(1, kFrame.green()) && near(2, kFrame.blue()) ? 1 : 0;
    }
    return count;
}

} // namespace

TEST(SnapshotReport, ShowsTheFrameWithItsTimePlaceSpeedAndTheClipsHash) {
    const auto folder = TestFolder("snapshot-report");
    const std::filesystem::path clip = folder / "front.mp4";
    ASSERT_EQ(MakeClip(clip.string(), "--seconds 10 --start 2024-06-01T12:00:00 --truth " +
                                          Quoted((folder / "truth.csv").string()))
                  .status,
              0);
    const auto truth = ReadTruth((folder / "truth.csv").string());
    ASSERT_EQ(truth.size(), 10u);
    ClipTrack track;
    track.Load(clip.string());
    QImage frame(320, 240, QImage::Format_RGB32);
    frame.fill(kFrame);
    const std::filesystem::path pdf = folder / "shot.pdf";
    std::string why;
    ASSERT_TRUE(WriteSnapshotReport({frame,
                                     clip.string(),
                                     6.4,
                                     SnapshotFactsAt(track.Stores(), 6.4),
                                     {"ostvik 1", "the snapshot dialog", "", 0},
                                     pdf.string()},
                                    why))
        << why;

    const std::string text = Shell("pdftotext " + Quoted(pdf.string()) + " -").out;
    // The frame at 6.4 s belongs to second 6, twelve o'clock and six seconds.
    EXPECT_NE(text.find("Recorded: 2024-06-01 12:00:06 UTC"), std::string::npos) << text;
    std::smatch match;
    ASSERT_TRUE(std::regex_search(text, match, std::regex("Position: ([0-9.]+), ([0-9.]+)")));
    EXPECT_NEAR(std::stod(match[1]), truth[6][1], 2e-6);
    EXPECT_NEAR(std::stod(match[2]), truth[6][2], 2e-6);
    ASSERT_TRUE(std::regex_search(text, match, std::regex("Speed: ([0-9]+) km/h")));
    EXPECT_NEAR(std::stod(match[1]), truth[6][3], 1.0);
    EXPECT_NE(text.find("SHA-256 " + Sha256Sum(clip)), std::string::npos);
    EXPECT_NE(text.find("SHA-256 " + Sha256Sum(folder / "shot.png")), std::string::npos);
    // 320 by 240 scaled to the text's width of 515 points is some 515 by 386, held to 330
    // high: 440 by 330, well over 100,000 pixels.
    EXPECT_GT(FramePixels(pdf), 100000);

    const ToolRun verify = Shell(Quoted(OSTVIK_EXPORT_TOOL) + " --verify " +
                                 Quoted((folder / "shot.manifest.txt").string()));
    EXPECT_EQ(verify.status, 0) << verify.out << verify.err;
    std::filesystem::remove_all(folder);
}

TEST(SnapshotReport, AFolderThatTakesNoFilesGetsNone) {
    const auto folder = TestFolder("snapshot-report");
    const std::filesystem::path clip = folder / "bare.mp4";
    ASSERT_EQ(MakeClip(clip.string(), "--seconds 3 --no-embedded").status, 0);
    QImage frame(64, 48, QImage::Format_RGB32);
    frame.fill(kFrame);
    std::string why;
    EXPECT_FALSE(WriteSnapshotReport({frame, clip.string(), 1, {}, {}, "/proc/shot.pdf"}, why));
    EXPECT_NE(why.find("/proc/shot"), std::string::npos) << why;
    EXPECT_FALSE(std::filesystem::exists("/proc/shot.png"));
    std::filesystem::remove_all(folder);
}
