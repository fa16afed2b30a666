// The Nextbase 322GW's binary samples in a clip's text track: a clip made by our clip maker,
// loaded through the player's loader and checked second by second against exiftool -ee
// reading the same clip and against the maker's truth file; then samples built by hand,
// damaged, cut short, and other cameras' tracks the reader must leave alone.
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
constexpr std::string_view kFamily = "Nextbase subtitles";

std::string ReadAt(const std::string& clip, uint64_t at, size_t count) {
    std::ifstream file(clip, std::ios::binary);
    file.seekg(static_cast<std::streamoff>(at));
    std::string bytes(count, '\0');
    file.read(bytes.data(), static_cast<std::streamsize>(count));
    return bytes;
}

const CameraReader& Nextbase() {
    for (const CameraReader* reader : CameraReaders()) {
        if (reader->Family() == kFamily) {
            return *reader;
        }
    }
    ADD_FAILURE() << "no reader of " << kFamily;
    return *CameraReaders()[0];
}

class NextbaseClip : public ::testing::Test {
protected:
    void SetUp() override {
        map.SetSpeedDial(&dial);
        folder = TestFolder("nextbase");
    }
    void TearDown() override { fs::remove_all(folder); }

    std::string Make(const std::string& options = "--seconds 6 --layout nextbase-322gw") {
        const std::string clip = (folder / "NB322.MP4").string();
        const ToolRun run =
            MakeClip(clip, options + " --truth " + Quoted((folder / "truth.csv").string()));
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

TEST_F(NextbaseClip, MatchesExiftoolAndTheTruthEverySecond) {
    const std::string clip = Make();
    const auto theirs =
        Exiftool(clip, "$SampleTime|$GPSDateTime|$GPSLatitude|$GPSLongitude|$GPSSpeed|$GPSTrack");
    const auto truth = ReadTruth((folder / "truth.csv").string());
    ASSERT_EQ(theirs.size(), kSeconds);
    ASSERT_EQ(truth.size(), kSeconds);
    ASSERT_TRUE(Load(clip));
    EXPECT_EQ(outcome.family, kFamily);
    EXPECT_FALSE(outcome.damagedAt.has_value());
    ASSERT_EQ(map.size(), kSeconds);
    ASSERT_EQ(chart.m_samples.size(), kSeconds);
    for (size_t s = 0; s < kSeconds; ++s) {
        SCOPED_TRACE("second " + std::to_string(s));
        const std::vector<std::string>& row = theirs[s];
        ASSERT_EQ(row.size(), 6u);
        EXPECT_EQ(std::stod(row[0]), static_cast<double>(s));
        EXPECT_EQ(map.m_fixStatus[s], 'A');
        // The camera's clock runs two hours ahead of this: UTC is the RMC's.
        EXPECT_EQ(map.m_utcTimes[s], EpochOf(row[1]));
        EXPECT_NEAR(map.m_latitudes[s], std::stod(row[2]), 1e-5);
        EXPECT_NEAR(map.m_longitudes[s], std::stod(row[3]), 1e-5);
        EXPECT_NEAR(dial.Find(static_cast<int>(s))->speed, std::stod(row[4]), 1.0);
        EXPECT_EQ(dial.Find(static_cast<int>(s))->heading, static_cast<int>(std::stod(row[5])));
        // The chart keeps five decimals. The truth keeps counts of 1/64 g, the camera 1/1280 g
        // (20 to one of the truth's) with its y counted the other way: each axis is its
        // truth count / 64.
        EXPECT_NEAR(chart.m_samples[s].x, truth[s][5] / 64.0, 1e-5);
        EXPECT_NEAR(chart.m_samples[s].y, truth[s][6] / 64.0, 1e-5);
        EXPECT_NEAR(chart.m_samples[s].z, truth[s][7] / 64.0, 1e-5);
    }
}

TEST_F(NextbaseClip, TheMadeSampleHasTheDescribedShape) {
    // Second 3 of the drive at 2024-06-01 12:00:03 UTC, the clock two hours ahead; its truth
    // counts x 0, y 46, z 62 are stored as y -920, x 0, z 1240.
    const std::string clip = Make();
    const std::string sample = ReadAt(clip, SampleOffsets(clip).at(3), 2 + 288);
    EXPECT_EQ(sample.substr(0, 2), std::string("\x01\x20", 2));
    EXPECT_EQ(sample.substr(6, 14), "20240601140003");
    EXPECT_EQ(sample.substr(20, 12), std::string("\x68\xfc\xff\xff\0\0\0\0\xd8\x04\0\0", 12));
    EXPECT_EQ(sample.substr(32, 18), "$GPRMC,120003.000,");
    EXPECT_EQ(sample.substr(160, 18), "$GPGGA,120003.000,");
}

TEST_F(NextbaseClip, ADamagedOrCutSampleIsSkippedAndTheRestKept) {
    const std::string clip = Make();
    const std::vector<uint64_t> offsets = SampleOffsets(clip);
    ASSERT_EQ(offsets.size(), kSeconds);
    // Second 2's RMC loses its name; second 4's loses its checksum where the others have
    // one: a sentence cut short.
    Overwrite(clip, offsets[2] + 2 + 30 + 1, "GPXXX");
    const std::string rmc = ReadAt(clip, offsets[4] + 2 + 30, 128);
    Overwrite(clip, offsets[4] + 2 + 30 + rmc.find('*'), std::string(1, '\0'));
    EXPECT_TRUE(Load(clip));
    EXPECT_EQ(outcome.family, kFamily);
    ASSERT_TRUE(outcome.damagedAt.has_value());
    EXPECT_EQ(*outcome.damagedAt, offsets[2]);
    ASSERT_EQ(map.size(), kSeconds);
    for (size_t s = 0; s < kSeconds; ++s) {
        EXPECT_EQ(map.m_fixStatus[s], s == 2 || s == 4 ? 'V' : 'A') << "second " << s;
    }
}

TEST_F(NextbaseClip, WithoutFixNoSecondHasAPosition) {
    EXPECT_FALSE(Load(Make("--seconds 6 --layout nextbase-322gw --status V")));
    EXPECT_EQ(outcome.family, kFamily);
    ASSERT_EQ(map.size(), kSeconds);
    for (char status : map.m_fixStatus) {
        EXPECT_EQ(status, 'V');
    }
}

TEST_F(NextbaseClip, LeavesPlainNmeaAndThinkwareTracksAlone) {
    for (const char* options :
         {"--seconds 4 --no-embedded --nmea-subtitles", "--seconds 4 --layout thinkware"}) {
        SCOPED_TRACE(options);
        const std::string clip = Make(options);
        ClipFile file;
        ASSERT_TRUE(file.Open(clip));
        EXPECT_FALSE(Nextbase().Claims(file));
    }
    EXPECT_TRUE(Load((folder / "NB322.MP4").string()));
    EXPECT_EQ(outcome.family, "Thinkware text track");
}

// ---------------------------------------------------------------- samples built by hand

std::string Le32(int32_t value) {
    const auto u = static_cast<uint32_t>(value);
    return {static_cast<char>(u), static_cast<char>(u >> 8), static_cast<char>(u >> 16),
            static_cast<char>(u >> 24)};
}

std::string Padded(const std::string& sentence) {
    std::string field = sentence + "\r\n";
    field.resize(128, '\0');
    return field;
}

// A 288-byte sample of the clock 2024-03-15 11:15:30 (local), y, x, z and the sentences.
std::string Sample(int32_t y, int32_t x, int32_t z, const std::string& rmc,
                   const std::string& gga = "") {
    return std::string("\0\0\0\0", 4) + "20240315111530" + Le32(y) + Le32(x) + Le32(z) +
           Padded(rmc) + Padded(gga) + std::string(2, '\0');
}

// A checksum that cannot be right for the sentence: the right one with its low bit flipped.
std::string WrongChecksum(const std::string& body) {
    std::string sentence = Sentence(body);
    char& last = sentence.back();
    last = last == '0' ? '1' : '0';
    return sentence;
}

// ftyp (16 bytes) and the mdat header (8) come before the first sample.
constexpr uint64_t kFirstSampleAt = 24;

TEST(NextbaseSamples, ReadByHand) {
    // 51°30' N, 0°7.5' W is 51.5, -0.125; 10 knots are 18.52 km/h; 2024-03-15 10:15:30 UTC
    // is 1710497730 s (date -u -d '2024-03-15 10:15:30' +%s). y -640, x 1280, z -320 are
    // 0.5, 1 and -0.25 g. The second sample's RMC has no position, its GGA 51°30.06' N:
    // 51.501. The third's RMC is cut short, the fourth is 200 bytes: both damage.
    HandClip clip;
    clip.texts = {
        Sample(-640, 1280, -320,
               WrongChecksum("GPRMC,101530.000,A,5130.0000,N,00007.5000,W,10.000,90.00,150324,,,A"),
               WrongChecksum("GPGGA,101530.000,5130.0000,N,00007.5000,W,1,05,1.0,20.0,M,,M,,")),
        Sample(0, 0, 1280, Sentence("GPRMC,101531.000,V,,,,,,,150324,,,N"),
               Sentence("GPGGA,101531.000,5130.0600,N,00007.5000,W,1,05,1.0,20.0,M,,M,,")),
        Sample(0, 0, 1280, "$GPRMC,101532.000,A,5130.1"),
        Sample(0, 0, 1280, Sentence("GPRMC,101533.000,A,5130.0000,N,00007.5000,W,0,0,150324,,,A"))
            .substr(0, 200),
        Sample(1280, 0, 0, Sentence("GPRMC,101534.000,A,5130.2000,N,00007.5000,W,0,0,150324,,,A")),
    };
    const std::string bytes = clip.Bytes();
    MemoryBytes source(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    CMapTrackStore map;
    CGSampleStore chart;
    CSpeedDialModel dial;
    map.SetSpeedDial(&dial);
    const std::string path = "hand.MP4";
    EXPECT_TRUE(Nextbase().Claims(source));
    const ReaderOutcome read = Nextbase().Read({source, path, nullptr}, {map, chart, dial});
    EXPECT_TRUE(read.fix);
    EXPECT_EQ(read.damagedAt, kFirstSampleAt + 2 * (2 + 288));
    ASSERT_EQ(map.size(), 5u);
    EXPECT_NEAR(map.m_latitudes[0], 51.5, 1e-9);
    EXPECT_NEAR(map.m_longitudes[0], -0.125, 1e-9);
    EXPECT_EQ(map.m_utcTimes[0], 1710497730);
    EXPECT_EQ(dial.Find(0)->speed, 18);
    EXPECT_EQ(dial.Find(0)->heading, 90);
    EXPECT_EQ(map.m_fixStatus[1], 'A');
    EXPECT_NEAR(map.m_latitudes[1], 51.501, 1e-9);
    EXPECT_NEAR(map.m_longitudes[1], -0.125, 1e-9);
    EXPECT_EQ(map.m_fixStatus[2], 'V');
    EXPECT_EQ(map.m_fixStatus[3], 'V');
    EXPECT_NEAR(map.m_latitudes[4], 51.50333333333, 1e-9);
    ASSERT_FALSE(chart.m_samples.empty());
    EXPECT_NEAR(chart.m_samples[0].x, 1.0, 1e-5);
    EXPECT_NEAR(chart.m_samples[0].y, 0.5, 1e-5);
    EXPECT_NEAR(chart.m_samples[0].z, -0.25, 1e-5);
}

TEST(NextbaseSamples, NotClaimedWithoutTheClockDigits) {
    HandClip clip;
    std::string sample = Sample(0, 0, 0,
                                Sentence("GPRMC,101530.000,A,5130.0000,N,00007.5000,W,"
                                         "0,0,150324,,,A"));
    sample[4 + 13] = ' ';
    clip.texts = {"", sample};
    const std::string bytes = clip.Bytes();
    MemoryBytes source(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    EXPECT_FALSE(Nextbase().Claims(source));
    clip.texts[1][4 + 13] = '0';
    const std::string fixed = clip.Bytes();
    MemoryBytes again(reinterpret_cast<const unsigned char*>(fixed.data()), fixed.size());
    EXPECT_TRUE(Nextbase().Claims(again));
}

} // namespace
