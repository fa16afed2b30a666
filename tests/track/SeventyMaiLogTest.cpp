// 70mai cameras' GPSData*.txt logs through the real loading pipeline, on clips made by our
// clip maker with hand-written logs beside them; expected values are worked by hand from
// the lines, and the clip maker's own log is checked against its record of the drive.
#include "track/SeventyMaiLog.h"
#include "track/CGSampleStore.h"
#include "track/CMapTrackStore.h"
#include "track/CSpeedDialModel.h"
#include "track/ClipTrackLoader.h"

#include "tests/support/ClipMaker.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// 2024-06-01T12:00:00Z, the clip maker's default start and so the clips' creation time.
constexpr long long kStart = 1717243200;

std::string At(long long second, const std::string& rest) {
    return std::to_string(kStart + second) + "," + rest + "\n";
}

class SeventyMaiClip : public ::testing::Test {
protected:
    void SetUp() override {
        map.SetSpeedDial(&dial);
        // The logs are looked for up to two folders above the clip: all of them are the
        // test's own, so nothing else in the temporary folder is found.
        root = TestFolder("70mai");
        card = root / "card";
        fs::create_directories(card / "Normal");
        clip = (card / "Normal" / "NO20240601-120000-000001F.MP4").string();
    }
    void TearDown() override { fs::remove_all(root); }

    // A 6-second clip and the clip maker's log in card/GPS.
    void Make(const std::string& args = "") {
        const ToolRun run =
            MakeClip(clip, "--seconds 6 --no-embedded --sidecar-kind 70mai --truth " +
                               Quoted((card / "truth.csv").string()) + " " + args);
        ASSERT_EQ(run.status, 0) << run.err;
    }
    void WriteLog(const fs::path& path, const std::string& text) {
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << text;
    }
    ClipTrackLoad Load() {
        return LoadClipTrack(clip, {map, chart, dial}, [](const std::string&) {});
    }

    CMapTrackStore map;
    CGSampleStore chart;
    CSpeedDialModel dial;
    fs::path root;
    fs::path card;
    std::string clip;
};

TEST_F(SeventyMaiClip, ClipMakersLogGivesTheDrive) {
    Make();
    const ClipTrackLoad load = Load();
    EXPECT_FALSE(load.embeddedFix);
    EXPECT_TRUE(load.nmeaLogFix);
    // second,latitude,longitude,speed_kmh,course,x_raw,y_raw,z_raw,status
    std::ifstream truthFile(card / "truth.csv");
    std::string line;
    std::getline(truthFile, line);
    ASSERT_EQ(map.size(), 6u);
    ASSERT_EQ(chart.m_samples.size(), 6u);
    for (int s = 0; std::getline(truthFile, line); ++s) {
        std::vector<double> truth;
        std::istringstream fields(line);
        for (std::string field; std::getline(fields, field, ',');) {
            truth.push_back(std::atof(field.c_str()));
        }
        ASSERT_TRUE(map.HasPosition(s)) << s;
        // The log keeps six decimals of a degree.
        EXPECT_NEAR(map.m_latitudes[s], truth[1], 6e-7) << s;
        EXPECT_NEAR(map.m_longitudes[s], truth[2], 6e-7) << s;
        // km/h to 0.01 m/s and back loses at most 0.018 km/h.
        EXPECT_NEAR(dial.Find(s)->speed, truth[3], 1.0) << s;
        EXPECT_NEAR(chart.m_samples[s].x, truth[5] / 64, 1e-4) << s;
        EXPECT_NEAR(chart.m_samples[s].z, truth[7] / 64, 1e-4) << s;
        EXPECT_EQ(map.m_utcTimes[s], kStart + s);
    }
}

TEST_F(SeventyMaiClip, UnitsAndSigns) {
    Make();
    WriteLog(card / "GPS" / "GPSData000001.txt",
             "$V02\n" +
                 // 1389 x 0.036 = 50.004 km/h; 27050 / 100 = 270.5 degrees
                 At(0, "A,-33.448900,-70.669300,27050,1389,0.01,-0.02,0.98") +
                 // 750 x 0.036 = 27 km/h exactly; 556 x 0.036 = 20.016 km/h
                 At(1, "A,-33.448700,-70.669100,9000,750,0.5,0,1") +
                 At(2, "A,-33.448500,-70.668900,35999,556,0,0,1"));
    ASSERT_TRUE(Load().nmeaLogFix);
    EXPECT_DOUBLE_EQ(map.m_latitudes[0], -33.4489);
    EXPECT_DOUBLE_EQ(map.m_longitudes[0], -70.6693);
    EXPECT_EQ(dial.Find(0)->speed, 50);
    EXPECT_EQ(dial.Find(0)->heading, 270);
    EXPECT_EQ(dial.Find(1)->speed, 27);
    EXPECT_EQ(dial.Find(2)->speed, 20);
    EXPECT_EQ(dial.Find(2)->heading, 359);
    EXPECT_FLOAT_EQ(chart.m_samples[0].y, -0.02f);
    EXPECT_FLOAT_EQ(chart.m_samples[1].x, 0.5f);
}

TEST_F(SeventyMaiClip, RecordsThatNameTheClipComeFirst) {
    // The clip's header says 12:00:00 local time; its own records are two hours earlier in
    // UTC. Records of the clip before it fill the header's time.
    const auto lines = [](long long from, double latitude, const std::string& name) {
        std::string text;
        for (int s = 0; s < 3; ++s) {
            text += At(from + s, "A," + std::to_string(latitude + s) + ",18.0,0,0,0.0,0.0,1.0," +
                                     name + ",0,0,0");
        }
        return text;
    };
    const std::string before = "NO20240601-115700-000000F.MP4";
    const std::string cases[] = {
        "$V02\n" + lines(-7200, 30, "NO20240601-120000-000001F.MP4") + lines(0, 40, before),
        lines(0, 40, before) + lines(-7200, 30, "no20240601-120000-000001f.mp4"),
        lines(-7200 + 2, 30, "NO20240601-120000-000001F.MP4"),
    };
    Make();
    for (size_t c = 0; c < std::size(cases); ++c) {
        WriteLog(card / "GPS" / "GPSData000001.txt", cases[c]);
        map.Clear();
        ASSERT_TRUE(Load().nmeaLogFix) << c;
        // By hand: latitude 30 + s at second s, less the camera's 2 s late start in the last.
        const size_t first = c == 2 ? 2 : 0;
        ASSERT_EQ(map.size(), first + 3) << c;
        for (size_t s = 0; s < 3; ++s) {
            EXPECT_DOUBLE_EQ(map.m_latitudes[first + s], 30.0 + static_cast<double>(s)) << c;
        }
    }
}

TEST_F(SeventyMaiClip, NoFixRowsPlaceNothing) {
    Make("--status V");
    const ClipTrackLoad load = Load();
    EXPECT_FALSE(load.nmeaLogFix);
    EXPECT_EQ(map.size(), 6u);
    for (int s = 0; s < 6; ++s) {
        EXPECT_FALSE(map.HasPosition(s)) << s;
        EXPECT_EQ(dial.Find(s), nullptr) << s;
    }
    // The G-sensor works without a fix.
    EXPECT_EQ(chart.m_samples.size(), 6u);
}

TEST_F(SeventyMaiClip, DamagedLinesAreSkippedAndTheOthersKept) {
    Make();
    std::string log = "$V02\n";
    log += At(0, "A,59.0,18.0,0,100,0,0,1");
    log += At(1, "A,59.1");                    // too few fields
    log += "junk,A,1,2,3,4\n";                 // no time
    log += std::string(10u << 20, '7') + "\n"; // 10 MB of digits
    log += At(2, "A,59.2,18.2,0,300,0,0,1");
    log += At(3, "Q,59.3,18.3,0,300,0,0,1");  // no status
    log += At(3, "A,north,18.3,0,300,0,0,1"); // no latitude
    log += At(4, "A,59.4,18.4,0,500");        // no G values: position only
    log += At(5, "A,59.5,18.5,0,600,0,0,1");
    log += At(5, "A,10.0,10.0,0,900,0,0,1");    // a second time: the first stands
    log += At(6, "A,60.6,18.6,0,600,0,0,1");    // the next clip's first second
    log += At(-1, "A,60.7,18.7,0,700,0,0,1");   // the clip before
    log += At(1000, "A,60.8,18.8,0,800,0,0,1"); // hours later
    log += At(3, "A,59.3,18.3,0,300,0,0,1");    // no line end: still being written
    log.pop_back();
    WriteLog(card / "GPS" / "GPSData000001.txt", log);
    ASSERT_TRUE(Load().nmeaLogFix);
    ASSERT_EQ(map.size(), 6u);
    const double latitudes[] = {59.0, 0, 59.2, 0, 59.4, 59.5};
    for (int s : {0, 2, 4, 5}) {
        ASSERT_TRUE(map.HasPosition(s)) << s;
        EXPECT_DOUBLE_EQ(map.m_latitudes[s], latitudes[s]) << s;
    }
    // 100, 300, 500 and 600 x 0.036 km/h
    const int speeds[] = {3, 0, 10, 0, 18, 21};
    for (int s : {0, 2, 4, 5}) {
        EXPECT_EQ(dial.Find(s)->speed, speeds[s]) << s;
    }
    EXPECT_FALSE(map.HasPosition(1));
    EXPECT_FALSE(map.HasPosition(3));
    EXPECT_EQ(dial.Find(3), nullptr);
}

TEST_F(SeventyMaiClip, LogsBesideTheClipAtTheRootOrInAGpsFolderOfAnyCase) {
    Make();
    fs::remove_all(card / "GPS");
    WriteLog(card / "Normal" / "gpsdata000002.TXT", At(0, "A,59.0,18.0,0,0"));
    WriteLog(card / "gps" / "GpsData000003.txt", At(1, "A,59.1,18.1,0,0"));
    WriteLog(card / "gps" / "notes.txt", At(2, "A,59.2,18.2,0,0"));
    WriteLog(card / "GPSDATA000004.txt", At(3, "A,59.3,18.3,0,0"));
    ASSERT_TRUE(Load().nmeaLogFix);
    EXPECT_TRUE(map.HasPosition(0));
    EXPECT_TRUE(map.HasPosition(1));
    EXPECT_FALSE(map.HasPosition(2));
    EXPECT_TRUE(map.HasPosition(3));
    EXPECT_EQ(SeventyMaiLogsFor(ClipFolder(clip)).size(), 3u);
}

TEST_F(SeventyMaiClip, FoundFromTheSidecarPathAsTheMapViewPassesIt) {
    Make();
    const std::string sidecar = (card / "Normal" / "NO20240601-120000-000001F.TXT").string();
    EXPECT_TRUE(ClipTrackLoader(sidecar).LoadLogs({map, chart, dial}));
    EXPECT_EQ(map.size(), 6u);
}

TEST_F(SeventyMaiClip, ClipWithoutCreationTimeTakesNoRecords) {
    // The log of a clip made with a creation time, beside a clip made without one.
    Make();
    const fs::path log = card / "GPS" / "GPSData000001.txt";
    const std::string kept = card / "kept.txt";
    fs::rename(log, kept);
    const ToolRun run = MakeClip(clip, "--seconds 6 --no-embedded");
    ASSERT_EQ(run.status, 0) << run.err;
    fs::rename(kept, log);
    EXPECT_FALSE(Load().nmeaLogFix);
    EXPECT_EQ(map.size(), 0u);
}

TEST_F(SeventyMaiClip, TimesNoIntegerCanSubtractAreSkipped) {
    // A clip made in 1904 plus 2 s (its movie header's creation time 2, 2082844798 s before
    // 1970), and a log whose times reach the limit of their type.
    Make();
    std::fstream file(clip, std::ios::binary | std::ios::in | std::ios::out);
    std::stringstream bytes;
    bytes << file.rdbuf();
    const size_t mvhd = bytes.str().find("mvhd");
    ASSERT_NE(mvhd, std::string::npos);
    ASSERT_EQ(bytes.str()[mvhd + 4], '\0'); // version 0: a 32-bit creation time follows
    file.seekp(static_cast<std::streamoff>(mvhd + 8));
    file.write("\0\0\0\x02", 4);
    file.close();
    WriteLog(card / "GPS" / "GPSData000001.txt",
             // Less the start, 2^63 + 3: past the type's end, and second 3 when wrapped.
             "9223372034771931013,A,59.5,18.0,0,0\n"
             "-2082844797,A,59.5,18.0,0,0\n" // second 1
             "-9223372036854775000,A,59.5,18.0,0,0\n");
    EXPECT_TRUE(Load().nmeaLogFix);
    EXPECT_EQ(map.m_fixStatus, (std::vector<char>{'V', 'A'}));
}

TEST(SeventyMaiLine, FieldsAndUnits) {
    const auto record =
        ParseSeventyMaiLine("1717243205,A,-33.448900,-70.669300,27050,1389,0.01,-0.02,0.98,x\r");
    ASSERT_TRUE(record);
    EXPECT_EQ(record->unixTime, 1717243205);
    EXPECT_EQ(record->status, 'A');
    EXPECT_DOUBLE_EQ(record->latitude, -33.4489);
    EXPECT_DOUBLE_EQ(record->heading, 270.5);
    EXPECT_NEAR(record->speedKmh, 50.004, 1e-9);
    EXPECT_TRUE(record->hasSensor);
    EXPECT_DOUBLE_EQ(record->z, 0.98);
    EXPECT_FALSE(ParseSeventyMaiLine("1717243205,A,1,2,3,4,0.1,0.2")->hasSensor);
    EXPECT_FALSE(ParseSeventyMaiLine("1717243205,A,1,2,3,4,0.1,0.2,z")->hasSensor);
    EXPECT_FALSE(ParseSeventyMaiLine("1717243205,A,1,2,3"));
    EXPECT_FALSE(ParseSeventyMaiLine("$V02"));
    EXPECT_FALSE(ParseSeventyMaiLine("17172x,A,1,2,3,4"));
    EXPECT_FALSE(ParseSeventyMaiLine("1717243205,A,nan,2,3,4"));
}

} // namespace
