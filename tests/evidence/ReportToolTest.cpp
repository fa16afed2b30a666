// The evidence report as an assessor meets it: the PDF read back by pdftotext and drawn by
// pdftoppm, its facts held against the clip maker's truth and its hashes against sha256sum,
// and the manifest rechecked by --verify after the files are tampered with.

#include "tests/support/ClipMaker.h"
#include "tests/support/FileBytes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>

namespace {

// The clip maker's drive brakes hard at second 35 of the clip; the excerpt is its seconds
// 25 to 45, starting 2024-06-01 12:00:00 UTC.
constexpr int kBrake = 35;
constexpr int kFrom = 25;
constexpr int kTo = 45;

std::string ReadAll(const std::filesystem::path& path) {
    return FileBytes(path);
}

std::string Sha256Sum(const std::filesystem::path& path) {
    const ToolRun run = Shell("sha256sum " + Quoted(path.string()));
    return run.status == 0 ? run.out.substr(0, 64) : "sha256sum failed";
}

// Qt's offscreen platform warns on standard error of a session without a runtime folder;
// the tests give it one, so that what the tool itself says is all there is to read.
std::string Tool(const std::filesystem::path& folder) {
    std::filesystem::create_directories(folder / "runtime");
    std::filesystem::permissions(folder / "runtime", std::filesystem::perms::owner_all);
    return "XDG_RUNTIME_DIR=" + Quoted((folder / "runtime").string()) + " " +
           Quoted(OSTVIK_EXPORT_TOOL);
}

size_t Lines(const std::string& text) {
    return static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
}

// The two numbers after `label` in the text ("At the start: 59.331047, 18.070575").
std::pair<double, double> PairAfter(const std::string& text, const std::string& label) {
    const std::regex pattern(label + ": (-?[0-9.]+), (-?[0-9.]+)");
    std::smatch match;
    if (!std::regex_search(text, match, pattern)) {
        return {NAN, NAN};
    }
    return {std::stod(match[1]), std::stod(match[2])};
}

double NumberAfter(const std::string& text, const std::string& label) {
    const std::regex pattern(label + "(-?[0-9.]+)");
    std::smatch match;
    return std::regex_search(text, match, pattern) ? std::stod(match[1]) : NAN;
}

class ReportTool : public ::testing::Test {
protected:
    void SetUp() override {
        m_folder = TestFolder("report");
        m_clip = m_folder / "src.mp4";
        ASSERT_EQ(MakeClip(m_clip.string(),
                           "--seconds 60 --fps 10 --size 320x240 --start 2024-06-01T12:00:00 "
                           "--hard-brake " +
                               std::to_string(kBrake) + " --truth " +
                               Quoted((m_folder / "truth.csv").string()))
                      .status,
                  0);
        m_truth = ReadTruth((m_folder / "truth.csv").string());
        ASSERT_EQ(m_truth.size(), 60u);
    }
    void TearDown() override { std::filesystem::remove_all(m_folder); }

    ToolRun Export(const std::string& options) {
        return Shell("TZ=Europe/Stockholm " + Tool(m_folder) + " --report " + options + " --from " +
                     std::to_string(kFrom) + " --to " + std::to_string(kTo) + " -o " +
                     Quoted((m_folder / "out.mp4").string()) + " " + Quoted(m_clip.string()));
    }

    std::string PdfText() {
        const ToolRun run =
            Shell("pdftotext " + Quoted((m_folder / "out.report.pdf").string()) + " -");
        EXPECT_EQ(run.status, 0) << run.err;
        return run.out;
    }

    ToolRun Verify() {
        return Shell(Tool(m_folder) + " --verify " +
                     Quoted((m_folder / "out.manifest.txt").string()));
    }

    std::filesystem::path m_folder;
    std::filesystem::path m_clip;
    std::vector<std::vector<double>> m_truth; // second, latitude, longitude, speed_kmh, ...
};

TEST_F(ReportTool, StatesTheDrivesTruthAndEveryFilesHash) {
    const ToolRun run = Export("--overlay --text 'Case 42/2024'");
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string text = PdfText();

    // 12:00:00 UTC plus 25 and 45 seconds; Stockholm keeps summer time two hours ahead.
    EXPECT_NE(text.find("Start: 2024-06-01 12:00:25 UTC = 2024-06-01 14:00:25 CEST"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("End: 2024-06-01 12:00:45 UTC = 2024-06-01 14:00:45 CEST"),
              std::string::npos);
    EXPECT_NE(text.find("Length: 20.0 s"), std::string::npos);
    EXPECT_NE(text.find("Europe/Stockholm"), std::string::npos);
    EXPECT_NE(text.find("Case: Case 42/2024"), std::string::npos);

    // The places of the first and last seconds shown, and of the hardest braking: the
    // second whose along-the-car reading (x, in 1/64 g) is lowest, minus the drive's median.
    std::vector<double> along;
    for (const auto& row : m_truth) {
        along.push_back(row[5]);
    }
    std::vector<double> sorted = along;
    std::nth_element(sorted.begin(), sorted.begin() + 30, sorted.end());
    const double rest = sorted[30];
    const auto hardest = std::min_element(along.begin() + kFrom, along.begin() + kTo);
    const auto brake = static_cast<size_t>(hardest - along.begin());
    EXPECT_EQ(brake, static_cast<size_t>(kBrake));
    const double peakG = (rest - *hardest) / 64;
    struct Place {
        const char* label;
        size_t second;
    };
    for (const Place place : {Place{"At the start", kFrom}, Place{"At the end", kTo - 1},
                              Place{"At the marked moment", brake}}) {
        const auto [lat, lon] = PairAfter(text, place.label);
        EXPECT_NEAR(lat, m_truth[place.second][1], 2e-6) << place.label;
        EXPECT_NEAR(lon, m_truth[place.second][2], 2e-6) << place.label;
    }
    EXPECT_NEAR(NumberAfter(text, "Peak deceleration: "), peakG, 0.006) << text;
    EXPECT_NEAR(NumberAfter(text, "Speed 1 s before: "), m_truth[brake - 1][3], 1.0);
    EXPECT_NEAR(NumberAfter(text, "1 s after: "), m_truth[brake + 1][3], 1.0);
    EXPECT_NEAR(NumberAfter(text, "harsh-braking at 00:"), brake - kFrom, 0.05);

    // Every file the page lists carries sha256sum's digest; the manifest adds the page's own.
    for (const char* name : {"src.mp4", "out.mp4", "out.gpx", "out.csv"}) {
        EXPECT_NE(text.find("SHA-256 " + Sha256Sum(m_folder / name)), std::string::npos) << name;
    }
    const std::string manifest = ReadAll(m_folder / "out.manifest.txt");
    for (const char* name : {"src.mp4", "out.mp4", "out.gpx", "out.csv", "out.report.pdf"}) {
        EXPECT_NE(manifest.find("sha256 " + Sha256Sum(m_folder / name)), std::string::npos) << name;
    }
    EXPECT_NE(manifest.find("Peak deceleration: "), std::string::npos);
}

// pdftoppm draws page 1 as a viewer would: the route (left) and the charts (right) are there
// in the line's blue, each with the red of the marked moment.
TEST_F(ReportTool, PageOneShowsTheRouteAndTheChartsWithTheMoment) {
    ASSERT_EQ(Export("--overlay").status, 0);
    const ToolRun page =
        Shell("pdftoppm -r 72 -f 1 -l 1 " + Quoted((m_folder / "out.report.pdf").string()));
    ASSERT_EQ(page.status, 0) << page.err;
    int width = 0;
    int height = 0;
    int most = 0;
    int read = 0;
    ASSERT_EQ(std::sscanf(page.out.c_str(), "P6 %d %d %d%n", &width, &height, &most, &read), 3);
    const std::string pixels = page.out.substr(static_cast<size_t>(read) + 1);
    ASSERT_EQ(pixels.size(), static_cast<size_t>(width) * height * 3);
    // Blue: well more blue than red; red: well more red than green and blue.
    int blue[2] = {0, 0};
    int red[2] = {0, 0};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const size_t at = (static_cast<size_t>(y) * width + x) * 3;
            const int r = static_cast<unsigned char>(pixels[at]);
            const int g = static_cast<unsigned char>(pixels[at + 1]);
            const int b = static_cast<unsigned char>(pixels[at + 2]);
            const int half = x < width / 2 ? 0 : 1;
            blue[half] += b > r + 60 ? 1 : 0;
            red[half] += r > g + 80 && r > b + 80 ? 1 : 0;
        }
    }
    EXPECT_GT(blue[0], 150) << "no route drawn";
    EXPECT_GT(blue[1], 150) << "no chart drawn";
    EXPECT_GT(red[0], 30) << "the moment is not marked on the route";
    EXPECT_GT(red[1], 30) << "the moment is not marked on the charts";
}

TEST_F(ReportTool, VerifyTellsUnchangedChangedAndMissingFileByFile) {
    ASSERT_EQ(Export("").status, 0);
    ToolRun run = Verify();
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    // Five files, each unchanged, and the verdict.
    EXPECT_EQ(Lines(run.out), 6u) << run.out;
    const std::regex unchanged("(^|\n)unchanged  ");
    EXPECT_EQ(std::distance(std::sregex_iterator(run.out.begin(), run.out.end(), unchanged),
                            std::sregex_iterator()),
              5);

    // One byte of the source clip, in the middle of its pictures.
    {
        std::fstream clip(m_clip, std::ios::in | std::ios::out | std::ios::binary);
        clip.seekg(100000);
        const char byte = static_cast<char>(clip.get());
        clip.seekp(100000);
        clip.put(static_cast<char>(byte ^ 0x01));
    }
    run = Verify();
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("changed  " + m_clip.string()), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("unchanged  " + (m_folder / "out.mp4").string()), std::string::npos);

    std::filesystem::rename(m_folder / "out.gpx", m_folder / "renamed.gpx");
    run = Verify();
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("missing  " + (m_folder / "out.gpx").string()), std::string::npos)
        << run.out;
}

// A manifest that lists nothing, or a file line cut short, must never pass as "unchanged".
TEST_F(ReportTool, VerifyRefusesAManifestItCannotRead) {
    ASSERT_EQ(Export("").status, 0);
    const std::string manifest = ReadAll(m_folder / "out.manifest.txt");
    const size_t line = manifest.find("sha256 ");
    ASSERT_NE(line, std::string::npos);
    for (const std::string& text :
         {std::string("Ostvik evidence manifest\n"), manifest.substr(0, line + 20) + "\n"}) {
        std::ofstream(m_folder / "bad.txt") << text;
        const ToolRun run =
            Shell(Tool(m_folder) + " --verify " + Quoted((m_folder / "bad.txt").string()));
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(Lines(run.err), 1u) << run.err;
        EXPECT_EQ(run.out.find("unchanged"), std::string::npos);
    }
}

TEST_F(ReportTool, AClipWithoutATrackGivesAReportThatSaysSo) {
    const std::filesystem::path bare = m_folder / "bare.mp4";
    ASSERT_EQ(MakeClip(bare.string(), "--seconds 20 --no-embedded").status, 0);
    const ToolRun run =
        Shell(Tool(m_folder) + " --report --from 2 --to 8 -o " +
              Quoted((m_folder / "out.mp4").string()) + " " + Quoted(bare.string()));
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string text = PdfText();
    EXPECT_NE(text.find("No position"), std::string::npos) << text;
    EXPECT_NE(text.find("No speed"), std::string::npos);
    EXPECT_NE(text.find("Start: unknown"), std::string::npos);
    EXPECT_NE(text.find("SHA-256 " + Sha256Sum(bare)), std::string::npos);
    EXPECT_EQ(Verify().status, 0);
}

// Told at once, in one line, before ffmpeg is started: nothing is made anywhere.
TEST_F(ReportTool, AFolderThatTakesNoFilesFailsBeforeAnyWork) {
    for (const std::string out :
         {std::string("/proc/out.mp4"), (m_folder / "none" / "out.mp4").string()}) {
        const ToolRun run = Shell(Tool(m_folder) + " --report --overlay --from 1 --to 50 -o " +
                                  Quoted(out) + " " + Quoted(m_clip.string()));
        EXPECT_EQ(run.status, 1) << out;
        EXPECT_EQ(Lines(run.err), 1u) << run.err;
        EXPECT_NE(run.err.find(std::filesystem::path(out).parent_path().string()),
                  std::string::npos)
            << run.err;
    }
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(m_folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"runtime", "src.mp4", "truth.csv"}));
}

} // namespace
