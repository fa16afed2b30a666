// BlackVue cameras' `gps ` / `3gf ` boxes and their NAME.gps / NAME.3gf files, and the plain
// NAME.NMEA log: clips made by our clip maker, checked against exiftool -ee and against the
// clip maker's record of the drive; damaged text and records by hand.
#include "track/BlackVueTrack.h"
#include "track/CGSampleStore.h"
#include "track/CMapTrackStore.h"
#include "track/CSpeedDialModel.h"
#include "track/ClipTrackLoader.h"
#include "track/EmbeddedTrack.h"
#include "track/MemoryBytes.h"

#include "NmeaText.h"
#include "tests/support/ClipMaker.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string Output(const std::string& command) {
    return Shell(command).out;
}

class BlackVueClip : public ::testing::Test {
protected:
    void SetUp() override {
        map.SetSpeedDial(&dial);
        folder = TestFolder("blackvue");
    }
    void TearDown() override { fs::remove_all(folder); }
    std::string Make(const std::string& name, const std::string& args) {
        const std::string clip = (folder / name).string();
        MakeClip(clip,
                 "--seconds 6 --truth " + Quoted((folder / "truth.csv").string()) + " " + args);
        return clip;
    }
    // second,latitude,longitude,speed_kmh,course,x_raw,y_raw,z_raw,status
    std::vector<std::vector<double>> Truth() { return ReadTruth((folder / "truth.csv").string()); }
    void ExpectTheDrive() {
        const auto truth = Truth();
        ASSERT_EQ(truth.size(), 6u);
        ASSERT_EQ(map.size(), 6u);
        ASSERT_EQ(chart.m_samples.size(), 6u);
        for (size_t s = 0; s < 6; ++s) {
            // RMC text carries minutes to four decimals.
            EXPECT_NEAR(map.m_latitudes[s], truth[s][1], 2e-6);
            EXPECT_NEAR(map.m_longitudes[s], truth[s][2], 2e-6);
            // The first of the second's ten records holds twice the drive's 1/64 g count;
            // the later ones are made to differ, so only the first gives count / 64.
            EXPECT_NEAR(chart.m_samples[s].x, truth[s][5] / 64, 1e-5) << s;
            EXPECT_NEAR(chart.m_samples[s].z, truth[s][7] / 64, 1e-5) << s;
        }
    }

    CMapTrackStore map;
    CGSampleStore chart;
    CSpeedDialModel dial;
    fs::path folder;
};

TEST_F(BlackVueClip, BoxesInTheClipMatchExiftool) {
    const std::string clip = Make("20240601_120000_NF.mp4", "--layout blackvue");
    ASSERT_TRUE(LoadEmbeddedTrack(clip, {map, chart, dial}));
    ExpectTheDrive();
    const auto theirs = NumberRows(
        Output("exiftool -q -q -ee -n -p '$GPSLatitude,$GPSLongitude,$GPSSpeed' '" + clip + "'"));
    ASSERT_EQ(theirs.size(), 6u);
    for (size_t s = 0; s < 6; ++s) {
        EXPECT_NEAR(map.m_latitudes[s], theirs[s][0], 1e-9);
        EXPECT_NEAR(map.m_longitudes[s], theirs[s][1], 1e-9);
        // The dial rounds km/h to 0.01 before truncating: knots are written rounded.
        EXPECT_EQ(dial.Find(static_cast<int>(s))->speed,
                  static_cast<int>(std::round(theirs[s][2] * 100) / 100));
    }
}

TEST_F(BlackVueClip, FilesBesideTheClipAreFoundWhateverTheirCase) {
    const std::string clip =
        Make("20240601_120000_NF.mp4", "--no-embedded --sidecar-kind blackvue");
    fs::rename(folder / "20240601_120000_NF.gps", folder / "20240601_120000_NF.GPS");
    const ClipTrackLoad load = LoadClipTrack(clip, {map, chart, dial});
    EXPECT_FALSE(load.embeddedFix);
    EXPECT_TRUE(load.nmeaLogFix);
    ExpectTheDrive();
}

TEST_F(BlackVueClip, PlainNmeaLogBesideTheClip) {
    const std::string clip = Make("CLIP.MP4", "--no-embedded --sidecar-kind nmea");
    EXPECT_TRUE(LoadClipTrack(clip, {map, chart, dial}).nmeaLogFix);
    const auto truth = Truth();
    ASSERT_EQ(map.size(), 6u);
    EXPECT_NEAR(map.m_latitudes[5], truth[5][1], 2e-6);
}

TEST_F(BlackVueClip, NoSourceReachesPastTheClipsEnd) {
    // A 6 s clip (its movie header says 6.0 s) bounds its stores at second 6 + 5; a file
    // that is no movie has no duration, and the old bound stays.
    const std::string rmc = Rmc("5930.0000", 'N', "01800.0000", 'E');
    const std::string gps =
        "[1000]" + rmc + "\n[12000]" + rmc + "\n[13000]" + rmc + "\n[2001000]" + rmc + "\n";
    const std::string nmea = RmcAt("120000.00", "5930.0000", 'N', "01800.0000", 'E') + "\r\n" +
                             RmcAt("120011.00", "5930.0000", 'N', "01800.0000", 'E') + "\r\n" +
                             RmcAt("120012.00", "5930.0000", 'N', "01800.0000", 'E') + "\r\n" +
                             RmcAt("130000.00", "5930.0000", 'N', "01800.0000", 'E') + "\r\n";
    // 3gf records at 0 ms and at 20 s.
    const std::string threeGf("\0\0\0\0\0\1\0\1\0\x80\0\0\x4E\x20\0\1\0\1\0\x80", 20);
    const struct {
        bool movie;
        std::string log; // file name beside the clip
        std::string text;
        size_t seconds;      // by hand: the last kept second + 1
        size_t chartSeconds; // likewise for the chart
        size_t speeds;       // the kept seconds with a fix
    } cases[] = {
        {true, "CLIP.gps", gps, 12, 1, 2},      {true, "CLIP.TXT", nmea, 12, 1, 2},
        {true, "CLIP.3gf", threeGf, 0, 1, 0},   {false, "CLIP.gps", gps, 2001, 1, 4},
        {false, "CLIP.3gf", threeGf, 0, 21, 0},
    };
    for (const auto& c : cases) {
        fs::remove_all(folder);
        fs::create_directories(folder);
        const std::string clip =
            c.movie ? Make("CLIP.MP4", "--no-embedded") : (folder / "CLIP.MP4").string();
        if (!c.movie) {
            std::ofstream(clip, std::ios::binary) << "not a movie";
        }
        std::ofstream(folder / c.log, std::ios::binary) << c.text;
        LoadClipTrack(clip, {map, chart, dial});
        EXPECT_EQ(map.size(), c.seconds) << c.log << c.movie;
        EXPECT_EQ(chart.m_samples.size(), c.chartSeconds) << c.log << c.movie;
        EXPECT_EQ(dial.m_records.size(), c.speeds) << c.log << c.movie;
    }
}

TEST(BlackVueText, DamagedLinesAreSkippedAndNothingElseMoves) {
    const std::string rmc = Rmc("5930.0000", 'N', "01800.0000", 'E', "10.000", "90.00");
    std::string text = "[1000]" + rmc + "\r\n";
    text += "no stamp " + rmc + "\n";
    text += "[12x]" + rmc + "\n";
    text += "[" + std::string(10 << 20, '9') + "]" + rmc + "\n"; // a 10 MB stamp
    text += "[500]" + rmc + "\n";                                // before the first line
    text += "[3000]" + rmc + "\n";
    text += "[4000]" +
            Sentence("GPGGA,120004.000,5931.0000,N,01800.0000,E,1,08,0.9,25.0,M,19.6,M,,") + "\n";
    text += "[5000]" + rmc; // no line end: still a line in this format
    CMapTrackStore map;
    CGSampleStore chart;
    CSpeedDialModel dial;
    map.SetSpeedDial(&dial);
    EXPECT_TRUE(FillBlackVueTrack({text, ""}, {map, chart, dial}));
    ASSERT_EQ(map.size(), 5u); // seconds 0, 2 and 4 only
    EXPECT_EQ(map.m_fixStatus[0], 'A');
    EXPECT_EQ(map.m_fixStatus[1], 'V');
    EXPECT_EQ(map.m_fixStatus[2], 'A');
    EXPECT_EQ(map.m_fixStatus[3], 'V'); // the GGA line leaves its second alone
    EXPECT_EQ(map.m_fixStatus[4], 'A');
    EXPECT_EQ(dial.Find(2)->speed, 18); // 10 knots
}

TEST(BlackVueText, BinaryBytesBeforeTheFirstStampKeepItsSentence) {
    // 1717243200000 ms is 2024-06-01T12:00:00Z (`date -u -d @1717243200`); the sentences
    // say the same, a minute of latitude apart. gpsbabel 1.8.0, given each line from its
    // "$" on, reads the same three fixes; given the lines whole, none.
    const auto rmc = [](const std::string& time, const std::string& latitude) {
        return Sentence("GPRMC," + time + ",A," + latitude + ",N,01800.0000,E,0.0,0.0,010624,,,A");
    };
    const std::string text = std::string("\x00\xFF\x1A", 3) + "[1717243200000]" +
                             rmc("120000.00", "5930.0000") + "\r\n[1717243201000]" +
                             rmc("120001.00", "5931.0000") + "\r\n[1717243202000]" +
                             rmc("120002.00", "5932.0000") + "\r\n";
    CMapTrackStore map;
    CGSampleStore chart;
    CSpeedDialModel dial;
    EXPECT_TRUE(FillBlackVueTrack({text, ""}, {map, chart, dial}));
    ASSERT_EQ(map.size(), 3u);
    for (size_t s = 0; s < 3; ++s) {
        EXPECT_TRUE(map.HasPosition(static_cast<int>(s))) << s;
        EXPECT_DOUBLE_EQ(map.m_latitudes[s], 59.5 + static_cast<double>(s) / 60) << s;
        EXPECT_EQ(map.m_utcTimes[s], 1717243200 + static_cast<int64_t>(s)) << s;
    }
}

TEST(BlackVueText, JitteredStampsKeepOneSentenceASecond) {
    // Gaps between stamps as cameras write them, and stamps whose difference overflows.
    const struct {
        std::vector<long long> stamps;
        std::vector<char> fixes; // by hand: one 'A' per second the stamps round to
    } cases[] = {
        {{1'700'000'000'010, 1'700'000'000'984, 1'700'000'001'994, 1'700'000'002'968,
          1'700'000'003'978, 1'700'000'004'952},
         {'A', 'A', 'A', 'A', 'A', 'A'}},
        {{5'000, 5'974, 6'948, 7'958, 8'968, 10'020}, {'A', 'A', 'A', 'A', 'A', 'A'}},
        {{-9'200'000'000'000'000'000, 9'200'000'000'000'000'000}, {'A'}},
        {{9'200'000'000'000'000'000, -9'200'000'000'000'000'000, 9'200'000'000'000'001'000},
         {'A', 'A'}},
    };
    for (const auto& c : cases) {
        std::string text;
        for (long long ms : c.stamps) {
            text +=
                "[" + std::to_string(ms) + "]" + Rmc("5930.0000", 'N', "01800.0000", 'E') + "\n";
        }
        CMapTrackStore map;
        CGSampleStore chart;
        CSpeedDialModel dial;
        FillBlackVueTrack({text, ""}, {map, chart, dial});
        EXPECT_EQ(map.m_fixStatus, c.fixes) << text;
    }
}

TEST(BlackVueText, ThreeGfRecordsEndAtTheMarkerOrTheLastWholeRecord) {
    const unsigned char records[] = {0,    0,    0,    0,    0, 1, 0xFF, 0xFF, 0, 128, // 0 ms
                                     0,    0,    3,    0xE8, 0, 2, 0,    0,    0, 64,  // 1000
                                     0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0,    0,    0, 0,   // end
                                     0,    0,    7,    0xD0, 0, 3, 0,    0,    0, 0};  // 2000
    std::vector<std::vector<int>> seen;
    ForEachThreeGfRecord(std::string_view(reinterpret_cast<const char*>(records), sizeof records),
                         [&](uint32_t ms, int x, int y, int z) {
                             seen.push_back({static_cast<int>(ms), x, y, z});
                         });
    EXPECT_EQ(seen, (std::vector<std::vector<int>>{{0, 1, -1, 128}, {1000, 2, 0, 64}}));
    seen.clear();
    ForEachThreeGfRecord(
        std::string_view(reinterpret_cast<const char*>(records), 19),
        [&](uint32_t ms, int, int, int) { seen.push_back({static_cast<int>(ms)}); });
    EXPECT_EQ(seen.size(), 1u);
}

TEST(BlackVueBoxes, DamagedBoxSizesEndTheWalk) {
    // free box claiming more than the file, holding a gps box cut short.
    const std::string bytes =
        std::string("\0\0\x10\0free", 8) + std::string("\0\0\x08\0gps ", 8) + "[0]$GPRMC,1";
    MemoryBytes source(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    const std::optional<BlackVueTrack> track = ReadBlackVueBoxes(source);
    ASSERT_TRUE(track.has_value());
    EXPECT_EQ(track->gps, "[0]$GPRMC,1");
    const std::string tiny = std::string("\0\0\0\x03free", 8);
    MemoryBytes damaged(reinterpret_cast<const unsigned char*>(tiny.data()), tiny.size());
    EXPECT_FALSE(ReadBlackVueBoxes(damaged).has_value());
}

} // namespace
