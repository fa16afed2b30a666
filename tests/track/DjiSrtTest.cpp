// DJI subtitle files beside a clip, through the real loader: a real Mavic Pro file
// against the positions of its cues, and hand-written cues of the other two forms with
// values stated by hand.
#include "tests/support/ClipMaker.h"
#include "track/CGSampleStore.h"
#include "track/CMapTrackStore.h"
#include "track/CSpeedDialModel.h"
#include "track/ClipTrackLoader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// The loader's outcome for the subtitles, among those of its other steps.
const TrackSourceOutcome* Subtitles(const ClipTrackLoad& load) {
    for (const TrackSourceOutcome& outcome : load.outcomes) {
        if (outcome.source == "DJI subtitles") {
            return &outcome;
        }
    }
    return nullptr;
}

const fs::path kSrt =
    fs::path(OSTVIK_MKCLIP).parent_path().parent_path() / "tests/data/cameras/dji/DJI_0001.SRT";

class DjiSubtitles : public ::testing::Test {
protected:
    void SetUp() override {
        map.SetSpeedDial(&dial);
        folder = TestFolder("dji");
        fs::create_directories(folder);
        // Not a movie: its length is unknown, so no second is cut.
        clip = (folder / "DJI_0001.MP4").string();
        std::ofstream(clip, std::ios::binary) << "no movie here";
    }
    void TearDown() override { fs::remove_all(folder); }

    void Write(const std::string& name, const std::string& text) {
        std::ofstream(folder / name, std::ios::binary) << text;
    }
    ClipTrackLoad Load() {
        return LoadClipTrack(clip, {map, chart, dial}, [](const std::string&) {});
    }
    void ExpectFix(int second, double lat, double lon) {
        ASSERT_LT(static_cast<size_t>(second), map.size());
        EXPECT_EQ(map.m_fixStatus[second], 'A') << second;
        EXPECT_NEAR(map.m_latitudes[second], lat, 1e-9) << second;
        EXPECT_NEAR(map.m_longitudes[second], lon, 1e-9) << second;
        EXPECT_EQ(map.m_utcTimes[second], kUnknownUtc) << second;
    }

    CMapTrackStore map;
    CGSampleStore chart;
    CSpeedDialModel dial;
    fs::path folder;
    std::string clip;
};

TEST_F(DjiSubtitles, EveryCueOfARealFileIsAtItsSecond) {
    fs::copy_file(kSrt, folder / "DJI_0001.SRT");
    const ClipTrackLoad load = Load();
    EXPECT_FALSE(load.embeddedFix);
    EXPECT_TRUE(load.nmeaLogFix);
    const TrackSourceOutcome* subtitles = Subtitles(load);
    ASSERT_NE(subtitles, nullptr);
    EXPECT_TRUE(subtitles->gave);
    EXPECT_FALSE(subtitles->damagedAt.has_value());

    std::ifstream reference(kSrt.string() + ".ref.csv");
    std::string line;
    std::getline(reference, line);
    int rows = 0;
    while (std::getline(reference, line)) {
        std::vector<std::string> fields;
        std::istringstream in(line);
        for (std::string field; std::getline(in, field, ',');) {
            fields.push_back(field);
        }
        const int second = static_cast<int>(std::stod(fields[1]));
        ASSERT_TRUE(map.HasPosition(second)) << second;
        EXPECT_NEAR(map.m_latitudes[second], std::stod(fields[2]), 1e-5) << second;
        EXPECT_NEAR(map.m_longitudes[second], std::stod(fields[3]), 1e-5) << second;
        // The cue's date and time are the camera's clock in no stated zone.
        EXPECT_EQ(map.m_utcTimes[second], kUnknownUtc) << second;
        ++rows;
    }
    EXPECT_EQ(rows, 468);
    // The first cue starts at 00:00:01: second 0 has none.
    EXPECT_FALSE(map.HasPosition(0));
}

TEST_F(DjiSubtitles, BracketedFieldsPerFrameTakeEachSecondsFirstCue) {
    Write("dji_0001.srt",
          "1\r\n00:00:00,000 --> 00:00:00,033\r\n"
          "<font size=\"28\">FrameCnt: 1, DiffTime: 33ms\r\n2021-03-01 10:00:00.123\r\n"
          "[iso: 100] [shutter: 1/500.0] [fnum: 280] [ev: 0] [latitude: 47.123456] "
          "[longitude: -8.654321] [rel_alt: 10.000 abs_alt: 500.123] </font>\r\n\r\n"
          "2\r\n00:00:00,033 --> 00:00:00,066\r\n"
          "[latitude: 47.2] [longitude: -8.7]\r\n\r\n"
          "3\r\n00:00:02,000 --> 00:00:02,033\r\n"
          "[latitude: 0.000000] [longitude: 0.000000]\r\n\r\n"
          "4\r\n00:00:03,500 --> 00:00:03,533\r\n"
          "[latitude: -33.5] [longtitude: 151.25]\r\n");
    EXPECT_TRUE(Load().nmeaLogFix);
    ASSERT_EQ(map.size(), 4u);
    ExpectFix(0, 47.123456, -8.654321);
    EXPECT_EQ(map.m_fixStatus[1], 'V'); // no cue
    EXPECT_EQ(map.m_fixStatus[2], 'V'); // 0,0: no fix yet
    ExpectFix(3, -33.5, 151.25);
}

TEST_F(DjiSubtitles, SettingsLineGivesLongitudeFirst) {
    Write("DJI_0001.SRT",
          "1\n00:00:01,000 --> 00:00:02,000\n"
          "F/2.8, SS 320, ISO 100, EV 0, GPS (8.6535, 47.1512, 19), D 24.25m, H 6.00m, "
          "H.S 0.00m/s, V.S 0.00m/s\n\n"
          "2\n00:00:02,000 --> 00:00:03,000\n"
          "F/2.8, SS 320, ISO 100, EV 0, GPS (-122.4194, -37.7749, 21), D 25.00m\n");
    EXPECT_TRUE(Load().nmeaLogFix);
    ASSERT_EQ(map.size(), 3u);
    EXPECT_EQ(map.m_fixStatus[0], 'V');
    ExpectFix(1, 47.1512, 8.6535);
    ExpectFix(2, -37.7749, -122.4194);
}

TEST_F(DjiSubtitles, DamagedCuesAreSkippedAtTheirOffsetAndTheRestKept) {
    const std::string first = "1\n00:00:00,000 --> 00:00:01,000\nGPS(10.5,20.25,3)\n\n";
    const std::string badTime = "2\n00:0x:01,000 --> 00:00:02,000\nGPS(11.5,21.25,3)\n\n";
    const std::string badNumber = "3\n00:00:02,000 --> 00:00:03,000\nGPS(12.5x,22.25,3)\n\n";
    const std::string offGlobe = "4\n00:00:03,000 --> 00:00:04,000\nGPS(13.5,95.0,3)\n\n";
    const std::string last = "5\n00:00:04,000 --> 00:00:05,000\nGPS(14.5,24.25,3)\n";
    Write("DJI_0001.SRT", first + badTime + badNumber + offGlobe + last);
    const ClipTrackLoad load = Load();
    EXPECT_TRUE(load.nmeaLogFix);
    const TrackSourceOutcome* subtitles = Subtitles(load);
    ASSERT_NE(subtitles, nullptr);
    ASSERT_TRUE(subtitles->damagedAt.has_value());
    // The time line of the second cue, after "2\n".
    EXPECT_EQ(*subtitles->damagedAt, first.size() + 2);
    ASSERT_EQ(map.size(), 5u);
    ExpectFix(0, 20.25, 10.5);
    EXPECT_EQ(map.m_fixStatus[2], 'V');
    EXPECT_EQ(map.m_fixStatus[3], 'V');
    ExpectFix(4, 24.25, 14.5);
}

TEST_F(DjiSubtitles, AFileWithoutPositionsGivesNoFix) {
    Write("DJI_0001.SRT", "1\n00:00:00,000 --> 00:00:01,000\nISO:100 Shutter:60\n");
    const ClipTrackLoad load = Load();
    EXPECT_FALSE(load.nmeaLogFix);
    EXPECT_EQ(map.size(), 0u);
}

} // namespace
