// Thinkware cues and Garmin PNDM records in a clip's text track: clips made by our clip
// maker, loaded through the player's loader and checked second by second against exiftool
// -ee reading the same clip; then the same clips damaged and cut short.
#include "HandClip.h"
#include "NmeaText.h"
#include "TextTrackClipTools.h"
#include "tests/support/ClipMaker.h"

#include "track/CGSampleStore.h"
#include "track/CMapTrackStore.h"
#include "track/CSpeedDialModel.h"
#include "track/ClipFile.h"
#include "track/ClipTrackLoader.h"
#include "track/MemoryBytes.h"
#include "track/Mp4TextSamples.h"
#include "track/TrackSourceOutcome.h"
#include "track/readers/CameraReaders.h"

#include <gtest/gtest.h>

#include <cmath>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr size_t kSeconds = 6;

double Number(const std::string& text) {
    return std::stod(text);
}

std::vector<double> Numbers(const std::string& commaSeparated) {
    std::vector<double> numbers;
    std::istringstream in(commaSeparated);
    for (std::string cell; std::getline(in, cell, ',');) {
        numbers.push_back(std::stod(cell));
    }
    return numbers;
}

class TextTrackCamera : public ::testing::Test {
protected:
    void SetUp() override {
        map.SetSpeedDial(&dial);
        folder = TestFolder("textcam");
    }
    void TearDown() override { fs::remove_all(folder); }

    std::string Make(const std::string& layout, const std::string& extra = "") {
        const std::string clip = (folder / (layout + ".MP4")).string();
        const ToolRun run = MakeClip(clip, "--seconds 6 --layout " + layout + " " + extra);
        EXPECT_EQ(run.status, 0) << run.err;
        return clip;
    }
    bool Load(const std::string& clip) {
        return LoadEmbeddedTrack(clip, {map, chart, dial}, outcome);
    }

    CMapTrackStore map;
    CGSampleStore chart;
    CSpeedDialModel dial;
    TrackSourceOutcome outcome;
    fs::path folder;
};

TEST_F(TextTrackCamera, ThinkwareMatchesExiftoolEverySecond) {
    const std::string clip = Make("thinkware");
    const auto theirs = Exiftool(
        clip, "$SampleTime|$GPSDateTime|$GPSLatitude|$GPSLongitude|$GPSSpeed|$GPSTrack|$GSensor");
    ASSERT_EQ(theirs.size(), kSeconds);
    ASSERT_TRUE(Load(clip));
    EXPECT_EQ(outcome.family, "Thinkware text track");
    ASSERT_EQ(map.size(), kSeconds);
    ASSERT_EQ(chart.m_samples.size(), kSeconds);
    for (size_t s = 0; s < kSeconds; ++s) {
        SCOPED_TRACE("second " + std::to_string(s));
        const std::vector<std::string>& row = theirs[s];
        ASSERT_EQ(row.size(), 7u);
        EXPECT_EQ(Number(row[0]), static_cast<double>(s));
        EXPECT_EQ(map.m_fixStatus[s], 'A');
        EXPECT_EQ(map.m_utcTimes[s], EpochOf(row[1]));
        EXPECT_NEAR(map.m_latitudes[s], Number(row[2]), 1e-5);
        EXPECT_NEAR(map.m_longitudes[s], Number(row[3]), 1e-5);
        EXPECT_NEAR(dial.Find(static_cast<int>(s))->speed, Number(row[4]), 1.0);
        EXPECT_EQ(dial.Find(static_cast<int>(s))->heading, static_cast<int>(Number(row[5])));
        // "range,counts per g,x,y,z": each axis is its count over the counts per g.
        const std::vector<double> sensor = Numbers(row[6]);
        ASSERT_EQ(sensor.size(), 5u);
        EXPECT_NEAR(chart.m_samples[s].x, sensor[2] / sensor[1], 1e-5);
        EXPECT_NEAR(chart.m_samples[s].y, sensor[3] / sensor[1], 1e-5);
        EXPECT_NEAR(chart.m_samples[s].z, sensor[4] / sensor[1], 1e-5);
    }
}

TEST_F(TextTrackCamera, GarminMatchesExiftoolEverySecond) {
    const std::string clip = Make("garmin");
    const auto theirs = Exiftool(clip, "$SampleTime|$GPSLatitude|$GPSLongitude|$GPSSpeed");
    ASSERT_EQ(theirs.size(), kSeconds);
    ASSERT_TRUE(Load(clip));
    EXPECT_EQ(outcome.family, "Garmin text track");
    ASSERT_EQ(map.size(), kSeconds);
    for (size_t s = 0; s < kSeconds; ++s) {
        SCOPED_TRACE("second " + std::to_string(s));
        const std::vector<std::string>& row = theirs[s];
        ASSERT_EQ(row.size(), 4u);
        EXPECT_EQ(Number(row[0]), static_cast<double>(s));
        EXPECT_EQ(map.m_fixStatus[s], 'A');
        EXPECT_EQ(map.m_utcTimes[s], kUnknownUtc);
        EXPECT_NEAR(map.m_latitudes[s], Number(row[1]), 1e-5);
        EXPECT_NEAR(map.m_longitudes[s], Number(row[2]), 1e-5);
        EXPECT_NEAR(dial.Find(static_cast<int>(s))->speed, Number(row[3]), 1.0);
    }
    // The records carry no accelerations: only the reset's own sample.
    EXPECT_EQ(chart.m_samples.size(), 1u);
}

TEST_F(TextTrackCamera, GarminRecordReadByHand) {
    // Second 1 with its 32-bit size before the marker, from the drive the maker wrote
    // (its truth file): 59.329296875 degrees is 707826083 semicircles (x 2^31 / 180),
    // 18.068601481 is 215566812, and 2.5686 km/h is 2 mph = 3.218688 km/h, truncated to 3.
    const std::string clip = Make("garmin");
    const uint64_t at = SampleOffsets(clip).at(1);
    std::ifstream file(clip, std::ios::binary);
    file.seekg(static_cast<std::streamoff>(at));
    std::string head(12, '\0');
    file.read(head.data(), 12);
    EXPECT_EQ(head.substr(0, 2), std::string("\0\x18", 2));
    EXPECT_EQ(head.substr(2, 4), std::string("\0\0\0\x18", 4));
    EXPECT_EQ(head.substr(6, 4), "PNDM");
    ASSERT_TRUE(Load(clip));
    EXPECT_NEAR(map.m_latitudes[1], 707826083 * 180.0 / 2147483648.0, 1e-12);
    EXPECT_NEAR(map.m_longitudes[1], 215566812 * 180.0 / 2147483648.0, 1e-12);
    EXPECT_EQ(dial.Find(1)->speed, 3);
    EXPECT_EQ(dial.Find(1)->heading, 0);
}

TEST_F(TextTrackCamera, WithoutFixNoSecondHasAPosition) {
    for (const char* layout : {"thinkware", "garmin"}) {
        SCOPED_TRACE(layout);
        const std::string clip = Make(layout, "--status V");
        EXPECT_FALSE(Load(clip));
        EXPECT_EQ(outcome.family, layout == std::string("thinkware") ? "Thinkware text track"
                                                                     : "Garmin text track");
        ASSERT_EQ(map.size(), kSeconds);
        for (char status : map.m_fixStatus) {
            EXPECT_EQ(status, 'V');
        }
    }
}

TEST_F(TextTrackCamera, ADamagedRecordIsSkippedAndTheRestKept) {
    for (const char* layout : {"thinkware", "garmin"}) {
        SCOPED_TRACE(layout);
        const std::string clip = Make(layout);
        const std::vector<uint64_t> offsets = SampleOffsets(clip);
        ASSERT_EQ(offsets.size(), kSeconds);
        if (layout == std::string("thinkware")) {
            // "gsensori,..." then "GPRMC": the cue of second 2 loses its RMC's name.
            std::ifstream file(clip, std::ios::binary);
            std::string cue(200, '\0');
            file.seekg(static_cast<std::streamoff>(offsets[2]));
            file.read(cue.data(), 200);
            Overwrite(clip, offsets[2] + cue.find("GPRMC"), "GPXXX");
        } else {
            // Second 2 has no size word: its latitude at 2 + 12, now 0x7fffffff (180 degrees).
            Overwrite(clip, offsets[2] + 14, "\x7f\xff\xff\xff");
        }
        EXPECT_TRUE(Load(clip));
        ASSERT_TRUE(outcome.damagedAt.has_value());
        EXPECT_EQ(*outcome.damagedAt, offsets[2]);
        ASSERT_EQ(map.size(), kSeconds);
        for (size_t s = 0; s < kSeconds; ++s) {
            EXPECT_EQ(map.m_fixStatus[s], s == 2 ? 'V' : 'A') << "second " << s;
        }
    }
}

TEST_F(TextTrackCamera, ACutClipKeepsTheSecondsBeforeTheCut) {
    for (const char* layout : {"thinkware", "garmin"}) {
        SCOPED_TRACE(layout);
        const std::string clip = Make(layout);
        const auto whole = Exiftool(clip, "$GPSLatitude|$GPSLongitude");
        const std::vector<uint64_t> offsets = SampleOffsets(clip);
        ASSERT_EQ(offsets.size(), kSeconds);
        // Inside the fourth sample: the header before the video stays whole.
        fs::resize_file(clip, offsets[3] + 10);
        EXPECT_TRUE(Load(clip));
        ASSERT_EQ(map.size(), 3u);
        for (size_t s = 0; s < 3; ++s) {
            EXPECT_EQ(map.m_fixStatus[s], 'A');
            EXPECT_NEAR(map.m_latitudes[s], Number(whole[s][0]), 1e-5);
            EXPECT_NEAR(map.m_longitudes[s], Number(whole[s][1]), 1e-5);
        }
    }
}

TEST_F(TextTrackCamera, NeitherReaderTakesAnNmeaTextTrack) {
    const std::string clip = (folder / "NB322.MP4").string();
    ASSERT_EQ(MakeClip(clip, "--seconds 4 --no-embedded --nmea-subtitles").status, 0);
    EXPECT_TRUE(Load(clip));
    EXPECT_EQ(outcome.family, "NMEA text track");
}

// ---------------------------------------------------------------- samples built by hand

const CameraReader* ReaderNamed(std::string_view family) {
    for (const CameraReader* reader : CameraReaders()) {
        if (reader->Family() == family) {
            return reader;
        }
    }
    return nullptr;
}

struct HandRead {
    bool claims = false;
    ReaderOutcome outcome;
};

HandRead ReadByHand(std::string_view family, const HandClip& clip, const TrackStores& stores) {
    const CameraReader* reader = ReaderNamed(family);
    EXPECT_NE(reader, nullptr) << family;
    if (reader == nullptr) {
        return {};
    }
    const std::string bytes = clip.Bytes();
    MemoryBytes source(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    const std::string path = "hand.MP4";
    HandRead read{.claims = reader->Claims(source)};
    read.outcome = reader->Read({source, path, nullptr}, stores);
    return read;
}

// ftyp (16 bytes) and the mdat header (8) come before the first sample.
constexpr uint64_t kFirstSampleAt = 24;

TEST(ThinkwareCues, ExiftoolsOwnExampleReadByHand) {
    // The cue exiftool's QuickTimeStream.pl quotes, its RMC with a checksum; then a cue whose
    // sensor says 0 counts per g. exiftool reads the first as 45.4979148333 N,
    // 73.6168691667 W, 11.5287 km/h (6.225 knots), track 35.34, 2019-08-31 16:13:13 UTC
    // (1567267993 s, date -u -d '2019-08-31 16:13:13' +%s).
    const std::string rmc = Sentence("GNRMC,161313.00,A,4529.87489,N,07337.01215,W,6.225,35.34,"
                                     "310819,,,A");
    const std::string next = Sentence("GNRMC,161314.00,A,4529.87589,N,07337.01215,W,0.0,0.0,"
                                      "310819,,,A");
    HandClip clip;
    clip.handler = "text";
    clip.texts = {"gsensori,4,512,-67,-12,100;" + rmc.substr(1) +
                      "\r\n;CAR,0,0,0,0.0,0,0,0,0,0,0,0,0",
                  "gsensori,4,0,1,2,3;" + next.substr(1)};
    CMapTrackStore map;
    CGSampleStore chart;
    CSpeedDialModel dial;
    const HandRead read = ReadByHand("Thinkware text track", clip, {map, chart, dial});
    EXPECT_TRUE(read.claims);
    EXPECT_TRUE(read.outcome.fix);
    ASSERT_EQ(map.size(), 2u);
    EXPECT_NEAR(map.m_latitudes[0], 45.4979148333, 1e-9);
    EXPECT_NEAR(map.m_longitudes[0], -73.6168691667, 1e-9);
    EXPECT_EQ(map.m_utcTimes[0], 1567267993);
    EXPECT_EQ(dial.Find(0)->speed, 11);
    EXPECT_EQ(dial.Find(0)->heading, 35);
    // -67, -12 and 100 counts at 512 a g.
    ASSERT_EQ(chart.m_samples.size(), 1u);
    EXPECT_NEAR(chart.m_samples[0].x, -0.130859375, 1e-5);
    EXPECT_NEAR(chart.m_samples[0].y, -0.0234375, 1e-5);
    EXPECT_NEAR(chart.m_samples[0].z, 0.1953125, 1e-5);
    // The second cue keeps its position; its sensor is the damage.
    EXPECT_EQ(map.m_fixStatus[1], 'A');
    EXPECT_EQ(read.outcome.damagedAt, kFirstSampleAt + 2 + clip.texts[0].size());
}

TEST(ThinkwareCues, NeitherReaderClaimsPlainNmeaCues) {
    HandClip clip;
    clip.texts = {"", Rmc("5930.0000", 'N', "01800.0000", 'E')};
    CMapTrackStore map;
    CGSampleStore chart;
    CSpeedDialModel dial;
    EXPECT_FALSE(ReadByHand("Thinkware text track", clip, {map, chart, dial}).claims);
    EXPECT_FALSE(ReadByHand("Garmin text track", clip, {map, chart, dial}).claims);
    // A Thinkware cue after an empty one is still the first cue with text.
    clip.texts[1] = "gsensori,4,512,0,0,512;" + clip.texts[1].substr(1);
    EXPECT_TRUE(ReadByHand("Thinkware text track", clip, {map, chart, dial}).claims);
}

std::string Be32(int64_t value) {
    return HandClip::U32(static_cast<uint32_t>(value));
}

// PNDM, 4 unknown bytes, speed in mph, 2 unknown bytes, latitude and longitude.
std::string Pndm(int mph, int64_t latitude, int64_t longitude) {
    return "PNDM" + std::string(4, '\0') + Be32(mph).substr(2) + std::string(2, '\0') +
           Be32(latitude) + Be32(longitude);
}

TEST(GarminRecords, BareAndSizedRecordsByHand) {
    // 2^29 semicircles are 45 degrees, -2^30 are -90, -2^28 are -22.5; 2^31 - 1 is
    // 179.99999991618 (180 x (2^31 - 1) / 2^31); 30 mph are 48.28 km/h.
    HandClip clip;
    clip.handler = "text";
    clip.bare = true;
    clip.texts = {Pndm(30, 1 << 29, -(1 << 30)), Be32(24) + Pndm(0, -(1 << 28), 0x7fffffff),
                  Pndm(0, 0, 0).substr(0, 19), Pndm(0, 0x7fffffff, 0)};
    CMapTrackStore map;
    CGSampleStore chart;
    CSpeedDialModel dial;
    const HandRead read = ReadByHand("Garmin text track", clip, {map, chart, dial});
    EXPECT_TRUE(read.claims);
    EXPECT_TRUE(read.outcome.fix);
    ASSERT_EQ(map.size(), 2u);
    EXPECT_DOUBLE_EQ(map.m_latitudes[0], 45.0);
    EXPECT_DOUBLE_EQ(map.m_longitudes[0], -90.0);
    EXPECT_EQ(dial.Find(0)->speed, 48);
    EXPECT_EQ(dial.Find(0)->heading, 0);
    EXPECT_DOUBLE_EQ(map.m_latitudes[1], -22.5);
    EXPECT_NEAR(map.m_longitudes[1], 179.99999991618, 1e-10);
    EXPECT_EQ(map.m_fixStatus[1], 'A');
    EXPECT_EQ(map.m_utcTimes[1], kUnknownUtc);
    // The record cut short and the one off the globe: the first of them is the damage.
    EXPECT_EQ(read.outcome.damagedAt, kFirstSampleAt + 20 + 24);
}

} // namespace
