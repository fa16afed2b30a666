// SigmaStar LigoGPS blocks in an ssmd track. exiftool 12.57 knows the ssmd track but reads
// nothing from these blocks (its LigoGPS support came later), so the made clip is checked
// against the maker's truth file and the records against values worked by hand from
// exiftool's published notes: its sample bytes of a Kingslim D4 slot and its example line.
#include "TextTrackClipTools.h"
#include "tests/support/ClipMaker.h"

#include "tests/support/FileBytes.h"
#include "track/CGSampleStore.h"
#include "track/CMapTrackStore.h"
#include "track/CSpeedDialModel.h"
#include "track/ClipTrackLoader.h"
#include "track/TrackSourceOutcome.h"
#include "track/readers/LigoGpsRecord.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr size_t kSeconds = 6;
constexpr int64_t kFirstUtc = 1717243200; // 2024-06-01 12:00:00, the maker's default start

std::span<const unsigned char> Bytes(const std::string& text) {
    return {reinterpret_cast<const unsigned char*>(text.data()), text.size()};
}

std::vector<uint64_t> BlockOffsets(const std::string& clip) {
    const std::string bytes = FileBytes(clip);
    std::vector<uint64_t> offsets;
    for (size_t at = bytes.find(kLigoMagic); at != std::string::npos;
         at = bytes.find(kLigoMagic, at + 1)) {
        offsets.push_back(at);
    }
    return offsets;
}

class LigoClip : public ::testing::Test {
protected:
    void SetUp() override {
        map.SetSpeedDial(&dial);
        folder = TestFolder("ligo");
    }
    void TearDown() override { fs::remove_all(folder); }

    std::string Make(const std::string& options = "") {
        const std::string clip = (folder / "LIGO.MP4").string();
        const ToolRun run =
            MakeClip(clip, "--seconds 6 --layout ligo-ssmd " + options + " --truth " +
                               Quoted((folder / "truth.csv").string()));
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

TEST_F(LigoClip, EverySecondMatchesTheTruth) {
    const std::string clip = Make();
    const auto formats = Exiftool(clip, "$Track2:MetaFormat");
    ASSERT_EQ(formats.size(), 1u);
    EXPECT_EQ(formats[0].at(0), "ssmd");
    const auto truth = ReadTruth((folder / "truth.csv").string());
    ASSERT_EQ(truth.size(), kSeconds);
    ASSERT_TRUE(Load(clip));
    EXPECT_EQ(outcome.family, "SigmaStar LigoGPS");
    EXPECT_FALSE(outcome.damagedAt.has_value());
    ASSERT_EQ(map.size(), kSeconds);
    ASSERT_EQ(chart.m_samples.size(), kSeconds);
    for (size_t s = 0; s < kSeconds; ++s) {
        SCOPED_TRACE("second " + std::to_string(s));
        const int second = static_cast<int>(s);
        EXPECT_EQ(map.m_fixStatus[s], 'A');
        EXPECT_EQ(map.m_utcTimes[s], kFirstUtc + second);
        // Six decimals of the scrambled pair, scaled by about 1.5 on the way back.
        EXPECT_NEAR(map.m_latitudes[s], truth[s][1], 2e-6);
        EXPECT_NEAR(map.m_longitudes[s], truth[s][2], 2e-6);
        ASSERT_NE(dial.Find(second), nullptr);
        EXPECT_NEAR(dial.Find(second)->speed, truth[s][3], 1.0);
        EXPECT_NEAR(dial.Find(second)->heading, truth[s][4], 1.0);
        // Three decimals of g; the truth counts 1/64 g.
        EXPECT_NEAR(chart.m_samples[s].x, truth[s][5] / 64.0, 6e-4);
        EXPECT_NEAR(chart.m_samples[s].y, truth[s][6] / 64.0, 6e-4);
        EXPECT_NEAR(chart.m_samples[s].z, truth[s][7] / 64.0, 6e-4);
    }
}

TEST_F(LigoClip, ADamagedSlotIsSkippedAndTheRestKept) {
    const std::string clip = Make();
    const std::vector<uint64_t> blocks = BlockOffsets(clip);
    ASSERT_EQ(blocks.size(), kSeconds);
    const uint64_t slot2 = blocks[2] + kLigoHeaderBytes;
    // Second 2's byte count runs past its slot; second 4's block loses its name.
    Overwrite(clip, slot2 + 4, std::string("\xff\0\0\0", 4));
    Overwrite(clip, blocks[4], "LIGOGPSXXXX");
    ASSERT_TRUE(Load(clip));
    EXPECT_EQ(outcome.family, "SigmaStar LigoGPS");
    ASSERT_TRUE(outcome.damagedAt.has_value());
    EXPECT_EQ(*outcome.damagedAt, slot2);
    ASSERT_EQ(map.size(), kSeconds);
    for (size_t s = 0; s < kSeconds; ++s) {
        EXPECT_EQ(map.m_fixStatus[s], s == 2 || s == 4 ? 'V' : 'A') << "second " << s;
    }
}

TEST_F(LigoClip, EmptySlotsAreFoundWithoutFix) {
    const std::string clip = Make("--status V");
    EXPECT_FALSE(Load(clip));
    EXPECT_EQ(outcome.family, "SigmaStar LigoGPS");
    EXPECT_FALSE(outcome.damagedAt.has_value());
    for (size_t s = 0; s < map.size(); ++s) {
        EXPECT_FALSE(map.HasPosition(static_cast<int>(s)));
    }
}

TEST(LigoRecords, TheKingslimSlotOfExiftoolsNotesDecrypts) {
    // The 19 encrypted bytes exiftool's notes show, worked by hand: the counter 2, then the
    // date of the same sample's binary fields (2021-06-03) and the first digit of the hour.
    const std::string slot = std::string("####\x13\0\0\0", 8) +
                             "\xc0\x22\x20\x20\x20\xf0\x12\x10\x12\x21"
                             "\xe5\x0e\x10\x12\x2f\x90\x10\x13\x01";
    const std::optional<std::string> plain = DecryptLigoSlot(Bytes(slot));
    ASSERT_TRUE(plain.has_value());
    EXPECT_EQ(*plain, std::string("\x02\0\0\0", 4) + "2021/06/03 1");
}

TEST(LigoRecords, AGroupCutShortIsNotDecrypted) {
    // The same bytes but one: the last group's steering byte asks for three.
    const std::string slot = std::string("####\x12\0\0\0", 8) +
                             "\xc0\x22\x20\x20\x20\xf0\x12\x10\x12\x21"
                             "\xe5\x0e\x10\x12\x2f\x90\x10\x13";
    EXPECT_FALSE(DecryptLigoSlot(Bytes(slot)).has_value());
}

const std::string kExampleLine =
    std::string("\x01\0\0\0", 4) +
    "2022/09/19 12:45:24 N:31.285065 W:124.759483 46.93 km/h x:-0.000 y:-0.000 z:-0.000";

TEST(LigoRecords, APlainLineIsReadAsWritten) {
    const std::optional<LigoGpsFix> fix = ParseLigoText(kExampleLine, true);
    ASSERT_TRUE(fix.has_value());
    EXPECT_EQ(fix->utc, 1663591524); // date -u -d "2022-09-19 12:45:24" +%s
    EXPECT_DOUBLE_EQ(fix->latitude, 31.285065);
    EXPECT_DOUBLE_EQ(fix->longitude, -124.759483);
    EXPECT_NEAR(fix->speedKmh, 86.91436, 1e-9); // 46.93 knots
    EXPECT_FALSE(fix->course.has_value());
    ASSERT_TRUE(fix->accel.has_value());
}

TEST(LigoRecords, AScrambledLineTradesTheDigitsBelowTheTens) {
    // 30 + 4.759483 x 1.524855137 and 120 + 1.285065 x 1.524855137; 46.93 x 1.85407333.
    const std::optional<LigoGpsFix> fix = ParseLigoText(kExampleLine, false);
    ASSERT_TRUE(fix.has_value());
    EXPECT_NEAR(fix->latitude, 37.257522102, 1e-8);
    EXPECT_NEAR(fix->longitude, -121.959537967, 1e-8);
    EXPECT_NEAR(fix->speedKmh, 87.011661377, 1e-8);
}

TEST(LigoRecords, ABrokenLineIsNoFix) {
    std::string line = kExampleLine;
    line.replace(line.find("N:"), 2, "Q:");
    EXPECT_FALSE(ParseLigoText(line, true).has_value());
    EXPECT_FALSE(ParseLigoText(kExampleLine.substr(0, 30), true).has_value());
    std::string month13 = kExampleLine;
    month13.replace(month13.find("/09/"), 4, "/13/");
    EXPECT_FALSE(ParseLigoText(month13, true).has_value());
}

} // namespace
