// Transport-stream clips of Novatek cameras: the GPS records of their private stream, read
// as the player loads a clip and checked against exiftool's reading of the same clip.
#include "tests/support/ClipMaker.h"
#include "tests/support/FileBytes.h"
#include "tests/support/Shell.h"
#include "track/CGSampleStore.h"
#include "track/CMapTrackStore.h"
#include "track/CSpeedDialModel.h"
#include "track/ClipTrackLoader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

class TsClip : public ::testing::Test {
protected:
    void SetUp() override {
        map.SetSpeedDial(&dial);
        folder = TestFolder("ts");
        clip = (folder / "2024_0601_120000_F.TS").string();
        ASSERT_EQ(MakeClip(clip, "--seconds 12 --truth " + Quoted((folder / "truth.csv").string()))
                      .status,
                  0);
    }
    void TearDown() override { std::filesystem::remove_all(folder); }

    bool Load() { return LoadEmbeddedTrack(clip, {map, chart, dial}, outcome); }

    std::vector<unsigned char> Bytes() const { return FileByteVector(clip); }
    void Write(const std::vector<unsigned char>& bytes) const {
        std::ofstream(clip, std::ios::binary | std::ios::trunc)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
    }

    std::filesystem::path folder;
    std::string clip;
    CMapTrackStore map;
    CGSampleStore chart;
    CSpeedDialModel dial;
    TrackSourceOutcome outcome;
};

TEST_F(TsClip, EverySecondMatchesExiftoolWithItsAccelerations) {
    ASSERT_TRUE(Load());
    EXPECT_EQ(outcome.family, "Novatek MPEG-TS");
    // exiftool looks for unlisted dash-camera streams only at -ee3.
    const auto theirs = NumberRows(
        Shell("exiftool -q -q -ee3 -n -p '$GPSLatitude,$GPSLongitude,$GPSSpeed' " + Quoted(clip))
            .out,
        ',');
    ASSERT_EQ(theirs.size(), 12u);
    ASSERT_EQ(map.size(), 12u);
    for (size_t s = 0; s < theirs.size(); ++s) {
        SCOPED_TRACE("second " + std::to_string(s));
        EXPECT_EQ(map.m_fixStatus[s], 'A');
        // Minutes are read to four decimals as the cameras' own readers print them.
        EXPECT_NEAR(map.m_latitudes[s], theirs[s][0], 2e-6);
        EXPECT_NEAR(map.m_longitudes[s], theirs[s][1], 2e-6);
        EXPECT_EQ(dial.Find(static_cast<int>(s))->speed,
                  static_cast<int>(std::round(theirs[s][2] * 100) / 100));
    }
    // The clip maker stores 1/64 g counts as 1/256 g, so a count c reads c / 64 g.
    const auto truth = ReadTruth((folder / "truth.csv").string());
    ASSERT_EQ(chart.m_samples.size(), 12u);
    for (size_t s = 0; s < 12; ++s) {
        EXPECT_NEAR(chart.m_samples[s].x, truth[s][5] / 64, 1e-5);
    }
}

// A card pulled while the camera wrote leaves a stream that loses its packet step: the
// seconds before it stay, and the damage is reported where it starts.
TEST_F(TsClip, ALostPacketStepKeepsTheSecondsBeforeIt) {
    std::vector<unsigned char> bytes = Bytes();
    const size_t packets = bytes.size() / 188;
    const size_t broken = packets / 2;
    // The GPS packets before the break, counted by their packet id (0x0300).
    size_t before = 0;
    for (size_t p = 0; p < broken; ++p) {
        const unsigned char* packet = &bytes[p * 188];
        before += ((packet[1] & 0x1F) << 8 | packet[2]) == 0x0300 ? 1 : 0;
    }
    ASSERT_GT(before, 2u);
    bytes[broken * 188] = 0x00;
    Write(bytes);

    EXPECT_TRUE(Load());
    EXPECT_EQ(map.size(), before);
    ASSERT_TRUE(outcome.damagedAt.has_value());
    EXPECT_EQ(*outcome.damagedAt, broken * 188);
}

TEST_F(TsClip, AStreamWithoutGpsRecordsSaysSo) {
    std::vector<unsigned char> bytes = Bytes();
    std::vector<unsigned char> kept;
    for (size_t p = 0; p + 188 <= bytes.size(); p += 188) {
        if (((bytes[p + 1] & 0x1F) << 8 | bytes[p + 2]) != 0x0300) {
            kept.insert(kept.end(), bytes.begin() + static_cast<long>(p),
                        bytes.begin() + static_cast<long>(p + 188));
        }
    }
    Write(kept);
    EXPECT_FALSE(Load());
    EXPECT_EQ(map.size(), 0u);
}

} // namespace
