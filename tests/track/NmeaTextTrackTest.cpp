// NMEA sentences in a clip's text track: clips made by our clip maker (ffmpeg's mov_text),
// whose samples are checked against exiftool -ee and whose fixes against the clip maker's
// record of the drive; damaged sample tables built by hand.
#include "track/NmeaTextTrack.h"
#include "track/CGSampleStore.h"
#include "track/CMapTrackStore.h"
#include "track/CSpeedDialModel.h"
#include "track/ClipFile.h"
#include "track/ClipTrackLoader.h"
#include "track/MemoryBytes.h"
#include "track/Mp4TextSamples.h"

#include "HandClip.h"
#include "NmeaText.h"
#include "tests/support/ClipMaker.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

class NmeaTextClip : public ::testing::Test {
protected:
    void SetUp() override {
        map.SetSpeedDial(&dial);
        folder = TestFolder("nmeatext");
    }
    void TearDown() override { fs::remove_all(folder); }

    std::string Make(const std::string& name, const std::string& args,
                     const std::string& truth = "truth.csv") {
        const std::string clip = (folder / name).string();
        const ToolRun run =
            MakeClip(clip, "--truth " + Quoted((folder / truth).string()) + " " + args);
        EXPECT_EQ(run.status, 0) << run.err;
        return clip;
    }
    // second,latitude,longitude,speed_kmh,course,x_raw,y_raw,z_raw,status
    std::vector<std::vector<double>> Truth(const std::string& truth = "truth.csv") {
        return ReadTruth((folder / truth).string());
    }

    CMapTrackStore map;
    CGSampleStore chart;
    CSpeedDialModel dial;
    fs::path folder;
};

TEST_F(NmeaTextClip, SamplesMatchExiftool) {
    const std::string clip = Make("NB322.MP4", "--seconds 6 --no-embedded --nmea-subtitles 1");
    // exiftool prints "time|text" for each sample; a text's later lines follow on their own.
    const ToolRun run = Shell("exiftool -q -q -ee -n -p '$SampleTime|$Text' " + Quoted(clip));
    ASSERT_EQ(run.status, 0) << run.err;
    std::vector<std::pair<double, std::string>> theirs;
    std::istringstream lines(run.out);
    std::string line;
    while (std::getline(lines, line)) {
        const size_t bar = line.find('|');
        if (!line.empty() && line[0] != '$' && bar != std::string::npos) {
            theirs.emplace_back(std::atof(line.substr(0, bar).c_str()), line.substr(bar + 1));
        } else if (!theirs.empty()) {
            theirs.back().second += "\n" + line;
        }
    }
    // ffmpeg fills the first second, which has no cue, with an empty sample and ends the
    // track with another: seven samples in all.
    ASSERT_EQ(theirs.size(), 7u);

    ClipFile file;
    ASSERT_TRUE(file.Open(clip));
    std::vector<std::pair<double, std::string>> ours;
    ForEachMp4TextSample(file, [&](const TextSample& sample) {
        EXPECT_EQ(sample.track, 0);
        ours.emplace_back(sample.seconds, std::string(sample.text));
    });
    EXPECT_EQ(ours, theirs);
}

TEST_F(NmeaTextClip, LoaderFillsMapAndDialButNotTheChart) {
    const std::string clip = Make("NB322.MP4", "--seconds 8 --no-embedded --nmea-subtitles");
    const ClipTrackLoad load = LoadClipTrack(clip, {map, chart, dial}, [](const std::string&) {});
    EXPECT_TRUE(load.embeddedFix);
    const auto truth = Truth();
    ASSERT_EQ(truth.size(), 8u);
    ASSERT_EQ(map.size(), 8u);
    for (size_t s = 0; s < 8; ++s) {
        ASSERT_TRUE(map.HasPosition(static_cast<int>(s))) << s;
        // RMC text carries minutes to four decimals: 1e-4 / 60 degrees.
        EXPECT_NEAR(map.m_latitudes[s], truth[s][1], 2e-6) << s;
        EXPECT_NEAR(map.m_longitudes[s], truth[s][2], 2e-6) << s;
        const SpeedRecord* record = dial.Find(static_cast<int>(s));
        ASSERT_NE(record, nullptr) << s;
        // Knots are written to three decimals (0.002 km/h), so the whole km/h is the drive's
        // own but for a speed that close below a whole number.
        EXPECT_NEAR(record->speed, truth[s][3], 1.0) << s;
        EXPECT_EQ(record->heading, static_cast<int>(truth[s][4])) << s;
    }
    // By hand from the drive: 10.78 km/h at second 2, 19.93 at 3, 20.0 at 4 (10.799 kn,
    // 19.9997 km/h, which the dial's rounding to 0.01 keeps at 20), 15.88 at 6.
    EXPECT_EQ(dial.Find(2)->speed, 10);
    EXPECT_EQ(dial.Find(3)->speed, 19);
    EXPECT_EQ(dial.Find(4)->speed, 20);
    EXPECT_EQ(dial.Find(6)->speed, 15);
    // 2024-06-01T12:00:05Z, the drive's start plus five seconds.
    EXPECT_EQ(map.m_utcTimes[5], 1717243205);
    // NMEA has no G values: the chart keeps only the zero sample of its reset.
    EXPECT_EQ(chart.m_samples.size(), 1u);
}

TEST_F(NmeaTextClip, CueLinesDuringPlayKeepTheLoadedTrack) {
    const std::string clip = Make("NB322.MP4", "--seconds 4 --no-embedded --nmea-subtitles");
    ASSERT_TRUE(LoadClipTrack(clip, {map, chart, dial}, [](const std::string&) {}).embeddedFix);
    const std::vector<double> latitudes = map.m_latitudes;
    const std::vector<char> fixes = map.m_fixStatus;
    const std::map<int, SpeedRecord> speeds = dial.m_records;
    // The engine hands each sentence of a cue over as a line at the cue's time: the RMC,
    // then the GGA of the same second.
    ClipFile file;
    ASSERT_TRUE(file.Open(clip));
    ForEachMp4TextSample(file, [&](const TextSample& sample) {
        std::istringstream sentences{std::string(sample.text)};
        for (std::string sentence; std::getline(sentences, sentence);) {
            const std::string line = "T:" + std::to_string(std::lround(sample.seconds * 1000)) +
                                     " X:0.000000 Y:0.000000 Z:0.000000 G:0.000000 " + sentence;
            map.StoreTrackLine(line.c_str());
        }
    });
    EXPECT_EQ(map.m_latitudes, latitudes);
    EXPECT_EQ(map.m_fixStatus, fixes);
    ASSERT_EQ(dial.m_records.size(), speeds.size());
    for (const auto& [second, record] : speeds) {
        EXPECT_EQ(dial.Find(second)->speed, record.speed) << second;
    }
    // A GGA line at a second not yet held still gives it an entry without fix.
    EXPECT_EQ(map.StoreTrackLine(("T:9000 X:0 Y:0 Z:0 G:0 " + GgaAt("120009.00")).c_str()), 1);
    ASSERT_EQ(map.size(), 10u);
    EXPECT_EQ(map.m_fixStatus[9], 'V');
}

TEST_F(NmeaTextClip, TrackStartingLateKeepsItsCueSeconds) {
    const std::string clip = Make("NB322.MP4", "--seconds 6 --no-embedded --nmea-subtitles 2");
    ASSERT_TRUE(LoadClipTrack(clip, {map, chart, dial}, [](const std::string&) {}).embeddedFix);
    const auto truth = Truth();
    ASSERT_EQ(map.size(), 6u);
    EXPECT_FALSE(map.HasPosition(0));
    EXPECT_FALSE(map.HasPosition(1));
    for (size_t s = 2; s < 6; ++s) {
        ASSERT_TRUE(map.HasPosition(static_cast<int>(s))) << s;
        EXPECT_NEAR(map.m_latitudes[s], truth[s][1], 2e-6) << s;
    }
}

TEST_F(NmeaTextClip, TextTrackComesBeforeTheLogsBesideTheClipAndEachSecondOnce) {
    // The clip's own track and, beside it, an NMEA log of another drive far away (60 N 10 E)
    // as the sidecar the player would read when the clip gave no fix.
    Make("other.MP4",
         "--seconds 6 --no-embedded --origin 60,10 --nmea-log " +
             Quoted((folder / "NB322.TXT").string()) + " --sidecar-kind nmea",
         "other.csv");
    fs::rename(folder / "other.NMEA", folder / "NB322.NMEA");
    const std::string clip = Make("NB322.MP4", "--seconds 6 --no-embedded --nmea-subtitles");
    const ClipTrackLoad load = LoadClipTrack(clip, {map, chart, dial}, [](const std::string&) {});
    EXPECT_TRUE(load.embeddedFix);
    EXPECT_FALSE(load.nmeaLogFix);
    const auto truth = Truth();
    ASSERT_EQ(map.size(), 6u);
    for (size_t s = 0; s < 6; ++s) {
        EXPECT_NEAR(map.m_latitudes[s], truth[s][1], 2e-6) << s;
    }
    // The track tool lists each second once.
    const ToolRun run = Shell(Quoted(OSTVIK_TRACK_TOOL) + " " + Quoted(clip));
    ASSERT_EQ(run.status, 0) << run.err;
    const auto rows = NumberRows(run.out);
    ASSERT_EQ(rows.size(), 7u); // the header and six seconds
    for (size_t s = 1; s < rows.size(); ++s) {
        EXPECT_EQ(rows[s][0], static_cast<double>(s - 1));
    }
}

TEST_F(NmeaTextClip, FreeGpsBlocksComeFirst) {
    const std::string clip = Make("both.MP4", "--seconds 4 --nmea-subtitles --origin 10,10");
    ASSERT_TRUE(LoadClipTrack(clip, {map, chart, dial}, [](const std::string&) {}).embeddedFix);
    // The blocks give the chart its G values, which the text track could not.
    EXPECT_EQ(chart.m_samples.size(), 4u);
    EXPECT_EQ(map.size(), 4u);
}

std::vector<std::string> TextsOf(const std::string& bytes) {
    MemoryBytes source(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    std::vector<std::string> texts;
    ForEachMp4TextSample(source,
                         [&](const TextSample& sample) { texts.emplace_back(sample.text); });
    return texts;
}

TEST(Mp4TextSamples, HandlersAndFormatsThatHoldText) {
    HandClip clip;
    clip.texts = {"a", "b"};
    for (const char* handler : {"text", "sbtl", "subt"}) {
        clip.handler = handler;
        EXPECT_EQ(TextsOf(clip.Bytes()), (std::vector<std::string>{"a", "b"})) << handler;
    }
    clip.format = "text";
    EXPECT_EQ(TextsOf(clip.Bytes()).size(), 2u);
    clip.handler = "vide";
    EXPECT_TRUE(TextsOf(clip.Bytes()).empty());
    clip.handler = "sbtl";
    clip.format = "wvtt";
    EXPECT_TRUE(TextsOf(clip.Bytes()).empty());
}

TEST(Mp4TextSamples, ChunksOfSeveralSamplesAndWideOffsets) {
    HandClip clip;
    clip.texts = {"one", "two", "three", "four", "five"};
    clip.samplesPerChunk = 2;
    const std::vector<std::string> expected = clip.texts;
    EXPECT_EQ(TextsOf(clip.Bytes()), expected);
    clip.co64 = true;
    EXPECT_EQ(TextsOf(clip.Bytes()), expected);
}

TEST(Mp4TextSamples, DamagedTablesGiveWhatTheyHoldAndNoMore) {
    HandClip clip;
    clip.texts = {"one", "two", "three"};
    // A count far beyond its box: the three sizes it holds are read.
    clip.claimedSamples = 1'000'000'000;
    EXPECT_EQ(TextsOf(clip.Bytes()), clip.texts);
    // A chunk said to hold a billion samples holds the three there are.
    clip.claimedSamples = 0;
    clip.samplesPerChunk = 1'000'000'000;
    EXPECT_EQ(TextsOf(clip.Bytes()), clip.texts);
    // A chunk past the file's end gives nothing, with 32-bit and 64-bit offsets, and the
    // others keep theirs.
    clip.claimedSamples = 0;
    clip.samplesPerChunk = 1;
    clip.badChunk = 1;
    clip.badOffset = 0xFFFFFF00u;
    const std::vector<std::string> twoOfThree{"one", "three"};
    EXPECT_EQ(TextsOf(clip.Bytes()), twoOfThree);
    clip.co64 = true;
    clip.badOffset = 0xFFFFFFFFFFFFFF00ull;
    EXPECT_EQ(TextsOf(clip.Bytes()), twoOfThree);
    // A sample written as 10 MB is passed over; the next chunk still has its own.
    clip.co64 = false;
    clip.badChunk = -1;
    clip.bigSample = 1;
    EXPECT_EQ(TextsOf(clip.Bytes()), twoOfThree);
}

TEST(Mp4TextSamples, SamplesPointingAtTheSameBytesStopAt64MiB) {
    HandClip clip;
    clip.texts = {std::string(1000, 'x')};
    clip.samplesPerChunk = 1;
    clip.repeats = 100'000;
    // Each sample reads its 2-byte length and 1000 bytes: 67108864 / 1002 = 66974 of them.
    EXPECT_EQ(TextsOf(clip.Bytes()).size(), 66974u);
}

TEST(Mp4TextSamples, EveryCutOfTheClipIsSafe) {
    HandClip clip;
    clip.texts = {"one", "two", "three"};
    const std::string whole = clip.Bytes();
    for (size_t length = 0; length < whole.size(); ++length) {
        const std::string cut = whole.substr(0, length);
        EXPECT_LE(TextsOf(cut).size(), 3u);
    }
}

TEST(NmeaTextTrack, SecondsFollowTheSentenceTimesNotTheSampleCount) {
    HandClip clip;
    // 12:00:00, a repeated 12:00:00, a damaged cue, 12:00:03: seconds 0 and 3.
    clip.texts = {RmcAt("120000.00", "5930.0000", 'N', "01800.0000", 'E', "10.0", "90.0"),
                  RmcAt("120000.00", "5931.0000", 'N', "01800.0000", 'E'), "$GPRMC,garbage",
                  RmcAt("120003.00", "5930.6000", 'N', "01800.0000", 'E')};
    const std::string bytes = clip.Bytes();
    MemoryBytes source(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    CMapTrackStore map;
    CGSampleStore chart;
    CSpeedDialModel dial;
    ASSERT_TRUE(LoadNmeaTextTrack(source, {map, chart, dial}));
    ASSERT_EQ(map.size(), 4u);
    EXPECT_DOUBLE_EQ(map.m_latitudes[0], 59.5); // the first valid fix of the second stays
    EXPECT_FALSE(map.HasPosition(1));
    EXPECT_FALSE(map.HasPosition(2));
    EXPECT_DOUBLE_EQ(map.m_latitudes[3], 59.51);
    // 10 knots are 18.52 km/h.
    EXPECT_EQ(dial.Find(0)->speed, 18);
    EXPECT_EQ(dial.Find(0)->heading, 90);
}

TEST(NmeaTextTrack, FixAfterASilenceKeepsItsOwnSecond) {
    // One cue a second: no fix at 16:50:07..14 (cues 0..7), then the receiver's first
    // sentence after 29 s of silence, 16:50:44, in cue 8: it belongs 44 - 7 = 37 s in.
    HandClip clip;
    for (const char* time :
         {"165007", "165008", "165009", "165010", "165011", "165012", "165013", "165014"}) {
        clip.texts.push_back(Sentence("GPRMC," + std::string(time) + ".00,V,,,,,,,071226,,,N"));
    }
    clip.texts.push_back(RmcAt("165044.00", "5930.0000", 'N', "01800.0000", 'E'));
    const std::string bytes = clip.Bytes();
    MemoryBytes source(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    CMapTrackStore map;
    CGSampleStore chart;
    CSpeedDialModel dial;
    map.SetLastSecond(43 + 5); // a 43 s clip's bound, as the loader sets it
    ASSERT_TRUE(LoadNmeaTextTrack(source, {map, chart, dial}));
    ASSERT_EQ(map.size(), 38u);
    EXPECT_FALSE(map.HasPosition(8));
    EXPECT_TRUE(map.HasPosition(37));
}

} // namespace
