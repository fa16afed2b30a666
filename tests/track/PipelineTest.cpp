// The whole loading pipeline on clips made by our clip maker, through the track tool, as
// the player runs it when a clip is chosen.
#include "NmeaText.h"
#include "tests/support/ClipMaker.h"
#include "tests/support/FileBytes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

const std::string kData = OSTVIK_TESTDATA;

ToolRun Track(const std::string& args) {
    return Shell(Quoted(OSTVIK_TRACK_TOOL) + " " + args);
}

using Row = std::vector<std::string>;

std::vector<Row> Csv(const std::string& text) {
    std::vector<Row> rows;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        Row row;
        std::string field;
        std::istringstream fields(line);
        while (std::getline(fields, field, ',')) {
            row.push_back(field);
        }
        if (!line.empty() && line.back() == ',') {
            row.emplace_back();
        }
        rows.push_back(row);
    }
    return rows;
}

// Ground truth written by the clip maker: second,latitude,longitude,speed_kmh,course,
// x_raw,y_raw,z_raw,status.
std::vector<Row> Truth(const std::string& stem) {
    std::string text = FileBytes(kData + "/" + stem + ".truth.csv");
    std::vector<Row> rows = Csv(text);
    if (!rows.empty()) {
        rows.erase(rows.begin());
    }
    return rows;
}

std::string Clip(const std::string& name) {
    return Quoted(kData + "/" + name);
}

double D(const std::string& text) {
    return std::stod(text);
}

enum Column { kSecond, kFix, kLat, kLon, kSpeed, kHeading, kX, kY, kZ, kG };
enum TruthColumn { tSecond, tLat, tLon, tSpeed, tCourse, tX, tY, tZ, tStatus };

TEST(Pipeline, EmbeddedClipGivesItsDriveSecondBySecond) {
    const ToolRun run = Track(Clip("drive.MP4"));
    ASSERT_EQ(run.status, 0) << run.err;
    const std::vector<Row> rows = Csv(run.out);
    const std::vector<Row> truth = Truth("drive");
    ASSERT_EQ(truth.size(), 12u);
    ASSERT_EQ(rows.size(), truth.size() + 1);
    EXPECT_EQ(rows[0], (Row{"second", "fix", "latitude", "longitude", "speed", "heading", "x", "y",
                            "z", "g"}));
    bool moved = false;
    for (size_t s = 0; s < truth.size(); ++s) {
        const Row& row = rows[s + 1];
        const Row& t = truth[s];
        ASSERT_EQ(row.size(), 10u) << "second " << s;
        EXPECT_EQ(row[kSecond], std::to_string(s));
        EXPECT_EQ(row[kFix], "A");
        EXPECT_NEAR(D(row[kLat]), D(t[tLat]), 1e-6) << "second " << s;
        EXPECT_NEAR(D(row[kLon]), D(t[tLon]), 1e-6) << "second " << s;
        EXPECT_EQ(row[kSpeed], std::to_string(static_cast<int>(D(t[tSpeed])))) << "second " << s;
        EXPECT_EQ(row[kHeading], std::to_string(static_cast<int>(D(t[tCourse]))));
        EXPECT_NEAR(D(row[kX]), std::stoi(t[tX]) / 64.0, 1e-5);
        EXPECT_NEAR(D(row[kY]), std::stoi(t[tY]) / 64.0, 1e-5);
        EXPECT_NEAR(D(row[kZ]), std::stoi(t[tZ]) / 64.0, 1e-5);
        EXPECT_EQ(row[kG], "0.00000");
        moved = moved || D(row[kSpeed]) >= 15;
    }
    EXPECT_TRUE(moved) << "the synthetic drive should get up to speed";
}

TEST(Pipeline, SouthernAndWesternPositionsAreNegative) {
    const ToolRun run = Track(Clip("south.MP4"));
    ASSERT_EQ(run.status, 0) << run.err;
    const std::vector<Row> rows = Csv(run.out);
    const std::vector<Row> truth = Truth("south");
    ASSERT_EQ(rows.size(), truth.size() + 1);
    for (size_t s = 0; s < truth.size(); ++s) {
        EXPECT_LT(D(rows[s + 1][kLat]), -33.0);
        EXPECT_NEAR(D(rows[s + 1][kLat]), D(truth[s][tLat]), 1e-6);
        EXPECT_NEAR(D(rows[s + 1][kLon]), D(truth[s][tLon]), 1e-6);
    }
}

TEST(Pipeline, ClipWithoutValidFixFallsBackToItsNmeaLog) {
    const ToolRun run = Track(Clip("nofix.MP4"));
    ASSERT_EQ(run.status, 0) << run.err;
    const std::vector<Row> rows = Csv(run.out);
    const std::vector<Row> truth = Truth("nofix");
    const std::vector<Row> logged = Truth("nofix-log"); // the drive as the log has it
    ASSERT_EQ(logged.size(), truth.size());
    ASSERT_EQ(rows.size(), truth.size() + 1);
    for (size_t s = 0; s < truth.size(); ++s) {
        const Row& row = rows[s + 1];
        EXPECT_EQ(truth[s][tStatus], "V");
        EXPECT_EQ(row[kFix], "A") << "second " << s;
        // The log carries minutes to four decimals: within 2e-6 degrees.
        EXPECT_NEAR(D(row[kLat]), D(logged[s][tLat]), 2e-6);
        EXPECT_NEAR(D(row[kLon]), D(logged[s][tLon]), 2e-6);
        // Speeds and G-sensor values still come from the clip's own blocks.
        EXPECT_EQ(row[kSpeed], std::to_string(static_cast<int>(D(truth[s][tSpeed]))));
        EXPECT_NEAR(D(row[kZ]), std::stoi(truth[s][tZ]) / 64.0, 1e-5);
    }
}

TEST(Pipeline, SidecarOnlyClipTakesItsTrackFromTheLog) {
    const ToolRun run = Track(Clip("sidecar.MOV"));
    ASSERT_EQ(run.status, 0) << run.err;
    const std::vector<Row> rows = Csv(run.out);
    const std::vector<Row> truth = Truth("sidecar");
    ASSERT_EQ(truth.size(), 8u);
    ASSERT_EQ(rows.size(), truth.size() + 1);
    for (size_t s = 0; s < truth.size(); ++s) {
        const Row& row = rows[s + 1];
        EXPECT_EQ(row[kFix], "A");
        EXPECT_NEAR(D(row[kLat]), D(truth[s][tLat]), 2e-6);
        EXPECT_NEAR(D(row[kLon]), D(truth[s][tLon]), 2e-6);
        // Knots in the log, km/h on the dial; the log's rounding may cost one unit.
        EXPECT_NEAR(D(row[kSpeed]), std::floor(D(truth[s][tSpeed])), 1.0) << "second " << s;
        const bool bareSentence = (s + 1) % 4 == 0;
        if (bareSentence) {
            EXPECT_EQ(row[kZ], "0.00000") << "second " << s;
        } else {
            EXPECT_NEAR(D(row[kZ]), std::stoi(truth[s][tZ]) / 64.0, 1e-5) << "second " << s;
        }
    }
}

TEST(Pipeline, LinesAreTheDispatchedTrackLinesInOrder) {
    const ToolRun run = Track("--format lines " + Clip("sidecar.MOV"));
    ASSERT_EQ(run.status, 0) << run.err;
    std::istringstream text(run.out);
    std::vector<std::string> lines;
    for (std::string line; std::getline(text, line);) {
        lines.push_back(line);
    }
    ASSERT_EQ(lines.size(), 8u);
    for (size_t s = 0; s < lines.size(); ++s) {
        EXPECT_EQ(lines[s].rfind("T:" + std::to_string(s * 1000) + " X:", 0), 0u) << lines[s];
        EXPECT_NE(lines[s].find(" $GPRMC,"), std::string::npos);
    }
    EXPECT_EQ(lines[3].rfind("T:3000 X:0.000000 Y:0.000000 Z:0.000000 G:0.000000 $GPRMC,", 0), 0u);

    const ToolRun embedded = Track("--format=lines " + Clip("drive.MP4"));
    ASSERT_EQ(embedded.status, 0);
    EXPECT_EQ(embedded.out, ""); // embedded blocks reach the stores without the dispatch
}

TEST(Pipeline, AviClipReadsItsSidecar) {
    const ToolRun run = Track(Clip("plain.AVI"));
    ASSERT_EQ(run.status, 0) << run.err;
    const std::vector<Row> rows = Csv(run.out);
    ASSERT_EQ(rows.size(), Truth("plain").size() + 1);
    EXPECT_EQ(rows.back()[kFix], "A");
}

const std::string kTrackTestData =
    (std::filesystem::path(OSTVIK_MKCLIP).parent_path().parent_path() / "tests/track/data")
        .string();

// Runs the track tool into a file and gives that file's path.
std::string Export(const std::string& format, const std::string& clip) {
    // Named after the test and the clip: ctest runs the tests side by side.
    const std::string path = ::testing::TempDir() + "ostvik-export-" +
                             ::testing::UnitTest::GetInstance()->current_test_info()->name() + "-" +
                             std::to_string(std::hash<std::string>{}(clip)) + "." + format;
    const ToolRun run = Track("--format " + format + " " + clip + " >" + Quoted(path));
    EXPECT_EQ(run.status, 0) << run.err;
    return path;
}

// The export as our summary script reads it with Python's own JSON and XML parsers, one
// entry per line; see that script for the line forms.
std::vector<std::string> Summary(const std::string& format, const std::string& path) {
    const ToolRun run =
        Shell(Quoted(OSTVIK_PYTHON) + " " + Quoted(kTrackTestData + "/export_summary.py") + " " +
              format + " " + Quoted(path));
    EXPECT_EQ(run.status, 0) << run.err;
    std::vector<std::string> lines;
    std::istringstream text(run.out);
    for (std::string line; std::getline(text, line);) {
        lines.push_back(line);
    }
    return lines;
}

bool ValidGpx(const std::string& path) {
    return Shell("xmllint --noout --schema " + Quoted(kTrackTestData + "/gpx.xsd") + " " +
                 Quoted(path))
               .status == 0;
}

// A clip without any track of its own and a sidecar NMEA log beside it.
std::string ClipWithLog(const std::string& stem, const std::string& log) {
    std::ofstream(::testing::TempDir() + stem + ".MP4").close();
    std::ofstream(::testing::TempDir() + stem + ".TXT", std::ios::binary) << log;
    return Quoted(::testing::TempDir() + stem + ".MP4");
}

TEST(Export, GpxIsValidGpx11WithTheBlocksDateAndTime) {
    const std::string gpx = Export("gpx", Clip("drive.MP4"));
    EXPECT_TRUE(ValidGpx(gpx));
    const std::vector<std::string> points = Summary("gpx", gpx);
    const std::vector<Row> rows = Csv(Track(Clip("drive.MP4")).out);
    // exiftool reads the same blocks' date and time fields: "2024:06:01 12:00:00Z".
    const ToolRun exif = Shell("exiftool -q -ee -n -p '$GPSDateTime' " + Clip("drive.MP4"));
    std::istringstream times(exif.out);
    ASSERT_EQ(points.size(), 12u);
    ASSERT_EQ(rows.size(), 13u);
    for (size_t s = 0; s < points.size(); ++s) {
        std::string time;
        std::getline(times, time);
        ASSERT_EQ(time.size(), 20u) << exif.out;
        time[4] = time[7] = '-';
        time[10] = 'T';
        EXPECT_EQ(points[s], rows[s + 1][kLat] + " " + rows[s + 1][kLon] + " " + time);
    }
}

TEST(Export, GpxTimesFromTheLogAndNoneWithoutADate) {
    const std::string clip = ClipWithLog(
        "ostvik-dated",
        Sentence("GPRMC,235959.00,A,5930.0000,N,01800.0000,E,0,0,071226,,") + "\r\n" +
            Sentence("GPRMC,000000.00,A,5930.6000,N,01800.0000,E,0,0,081226,,") + "\r\n" +
            Sentence("GPRMC,000001.00,A,5931.2000,N,01800.0000,E,0,0,,,") + "\r\n");
    const std::string gpx = Export("gpx", clip);
    EXPECT_TRUE(ValidGpx(gpx));
    EXPECT_EQ(Summary("gpx", gpx),
              (std::vector<std::string>{"59.500000 18.000000 2026-12-07T23:59:59Z",
                                        "59.510000 18.000000 2026-12-08T00:00:00Z",
                                        "59.520000 18.000000 -"}));
}

TEST(Export, GeoJsonIsValidForAnyNumberOfFixes) {
    const std::vector<Row> rows = Csv(Track(Clip("drive.MP4")).out);
    const std::vector<std::string> line = Summary("geojson", Export("geojson", Clip("drive.MP4")));
    ASSERT_EQ(line.size(), 13u);
    EXPECT_EQ(line[0], "Feature LineString");
    EXPECT_EQ(line[12], rows[12][kLon] + " " + rows[12][kLat]);

    const std::string one = ClipWithLog(
        "ostvik-one", Sentence("GPRMC,120000.00,A,5930.0000,N,01815.0000,E,0,0,071226,,") + "\r\n");
    EXPECT_EQ(Summary("geojson", Export("geojson", one)),
              (std::vector<std::string>{"Feature Point", "18.250000 59.500000"}));

    const std::string none = ClipWithLog("ostvik-none", "");
    EXPECT_EQ(Summary("geojson", Export("geojson", none)),
              (std::vector<std::string>{"FeatureCollection 0"}));
}

TEST(Export, KmlHasTheLineAndATimeStampedPlacemarkPerSecond) {
    const std::string kml = Export("kml", Clip("drive.MP4"));
    EXPECT_EQ(Shell("xmllint --noout " + Quoted(kml)).status, 0);
    const std::vector<std::string> placemarks = Summary("kml", kml);
    const std::vector<std::string> gpx = Summary("gpx", Export("gpx", Clip("drive.MP4")));
    const std::vector<Row> rows = Csv(Track(Clip("drive.MP4")).out);
    ASSERT_EQ(placemarks.size(), 13u);
    ASSERT_EQ(gpx.size(), 12u);
    EXPECT_EQ(placemarks[0], "line 12");
    for (size_t s = 0; s < 12; ++s) {
        const Row& row = rows[s + 1];
        const std::string when = gpx[s].substr(gpx[s].rfind(' ') + 1);
        EXPECT_EQ(placemarks[s + 1], std::to_string(s) + "_s " + when + " " + row[kLon] + "," +
                                         row[kLat] + " " + row[kSpeed]);
    }

    const std::string one = ClipWithLog(
        "ostvik-one-kml", Sentence("GPRMC,120000.00,A,5930.0000,N,01815.0000,E,0,0,,,") + "\r\n");
    const std::string single = Export("kml", one); // the log's speed: 0 knots
    EXPECT_EQ(Shell("xmllint --noout " + Quoted(single)).status, 0);
    EXPECT_EQ(Summary("kml", single),
              (std::vector<std::string>{"line 0", "0_s - 18.250000,59.500000 0"}));
}

// Clips made for one test: mkclip's clip at `name` in the test's temporary folder.
std::string TempClip(const std::string& name, const std::string& args) {
    const std::string path = ::testing::TempDir() + name;
    const ToolRun made = MakeClip(path, args);
    EXPECT_EQ(made.status, 0) << made.err;
    return path;
}

TEST(Pipeline, DialShowsTheSameSpeedFromBlocksAndFromTheSidecar) {
    // The blocks hold km/h, the sidecar's RMC the same speed in knots (km/h / 1.852 to three
    // decimals). The 8-second drive cruises at exactly 20 km/h, written 10.799 kn.
    const std::string both =
        TempClip("ostvik-speed-both.MOV", "--seconds 8 --sidecar --truth " +
                                              Quoted(::testing::TempDir() + "speed.truth.csv"));
    const std::string blocksOnly = ::testing::TempDir() + "ostvik-speed-both.MP4";
    ASSERT_EQ(Shell("cp " + Quoted(both) + " " + Quoted(blocksOnly)).status, 0);
    const std::string sidecarOnly =
        TempClip("ostvik-speed-log.MOV", "--seconds 8 --sidecar --no-embedded");

    const std::vector<Row> lastFromSidecar = Csv(Track(Quoted(both)).out);
    const std::vector<Row> fromBlocks = Csv(Track(Quoted(blocksOnly)).out);
    const std::vector<Row> fromSidecar = Csv(Track(Quoted(sidecarOnly)).out);
    std::vector<Row> truth = Csv(FileBytes(::testing::TempDir() + "speed.truth.csv"));
    ASSERT_EQ(truth.size(), 9u);
    ASSERT_EQ(lastFromSidecar.size(), 9u);
    ASSERT_EQ(fromBlocks.size(), 9u);
    ASSERT_EQ(fromSidecar.size(), 9u);
    bool cruised = false;
    for (size_t s = 1; s < truth.size(); ++s) {
        const std::string kmh = std::to_string(static_cast<int>(D(truth[s][tSpeed])));
        cruised = cruised || kmh == "20";
        EXPECT_EQ(fromBlocks[s][kSpeed], kmh) << "second " << s - 1;
        EXPECT_EQ(lastFromSidecar[s][kSpeed], kmh) << "second " << s - 1;
        EXPECT_EQ(fromSidecar[s][kSpeed], kmh) << "second " << s - 1;
    }
    EXPECT_TRUE(cruised);
}

TEST(Pipeline, PositionsAgreeWithExiftool) {
    const ToolRun exif =
        Shell("exiftool -q -ee -n -p '$GPSLatitude,$GPSLongitude' " + Clip("drive.MP4"));
    ASSERT_EQ(exif.status, 0) << exif.err;
    const std::vector<Row> theirs = Csv(exif.out);
    const std::vector<Row> ours = Csv(Track(Clip("drive.MP4")).out);
    ASSERT_EQ(theirs.size(), 12u);
    ASSERT_EQ(ours.size(), theirs.size() + 1);
    for (size_t s = 0; s < theirs.size(); ++s) {
        ASSERT_EQ(theirs[s].size(), 2u) << exif.out;
        EXPECT_NEAR(D(ours[s + 1][kLat]), D(theirs[s][0]), 1e-5);
        EXPECT_NEAR(D(ours[s + 1][kLon]), D(theirs[s][1]), 1e-5);
    }
}

TEST(TrackTool, ExitStatusTellsReadFailuresFromUsageErrors) {
    const ToolRun missing = Track(Quoted(kData + "/no-such-clip.MP4"));
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.out, "");
    EXPECT_NE(missing.err.find("no-such-clip.MP4"), std::string::npos);
    EXPECT_EQ(std::count(missing.err.begin(), missing.err.end(), '\n'), 1);

    EXPECT_EQ(Track(Quoted(kData)).status, 1); // a folder is no clip

    EXPECT_EQ(Track("").status, 2);
    EXPECT_EQ(Track("--format kmz " + Clip("drive.MP4")).status, 2);
    EXPECT_EQ(Track("--format").status, 2);
    EXPECT_EQ(Track(Clip("drive.MP4") + " " + Clip("south.MP4")).status, 2);
    EXPECT_EQ(Track("--bogus " + Clip("drive.MP4")).status, 2);
}

TEST(TrackTool, ClipWithoutAnyTrackPrintsSecondZeroOnly) {
    const ToolRun run = Track("/dev/null");
    EXPECT_EQ(run.status, 1); // not a regular file
    const ToolRun avi = Track(Clip("plain.AVI") + " --format csv");
    EXPECT_EQ(avi.status, 0);

    const std::string empty = ::testing::TempDir() + "ostvik-empty.MP4";
    std::ofstream(empty).close();
    const ToolRun none = Track(Quoted(empty));
    EXPECT_EQ(none.status, 0) << none.err;
    EXPECT_EQ(none.out, "second,fix,latitude,longitude,speed,heading,x,y,z,g\n"
                        "0,,,,,,0.00000,0.00000,0.00000,0.00000\n");
}

} // namespace
