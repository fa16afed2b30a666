// SigmaStar LigoGPS blocks outside an ssmd track: one a second in a transport stream's
// private PES packets, and a block of a slot a second in a `skip` box after the movie or
// the packets. exiftool 12.57 reads no LIGOGPSINFO block in either place, so the made clips
// are checked against the maker's truth file; where the blocks lie in a stream is taken
// from ffprobe, which gathers the private stream's PES packets on its own.
#include "TextTrackClipTools.h"
#include "tests/support/ClipMaker.h"

#include "tests/support/FileBytes.h"
#include "track/CGSampleStore.h"
#include "track/CMapTrackStore.h"
#include "track/CSpeedDialModel.h"
#include "track/ClipTrackLoader.h"
#include "track/TrackSourceOutcome.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr size_t kSeconds = 6;
constexpr int64_t kFirstUtc = 1717243200; // 2024-06-01 12:00:00, the maker's default start
constexpr size_t kPacket = 188;
// The layout the maker writes, as exiftool's notes give it: the name and two header words,
// then 132-byte slots; a trailer's skip box has an 8-byte header.
constexpr uint64_t kBlockHeader = 20;
constexpr uint64_t kSlot = 132;
constexpr uint64_t kBoxHeader = 8;
const std::string kName("LIGOGPSINFO\0", 12);

// The file offset of each packet of the private stream (id 189) ffprobe finds, in order.
std::vector<uint64_t> PrivatePacketsByFfprobe(const std::string& clip) {
    const ToolRun run = Shell("ffprobe -v error -select_streams 1 -show_entries "
                              "packet=size,pos -of csv=p=0 " +
                              Quoted(clip));
    EXPECT_EQ(run.status, 0) << run.err;
    std::vector<uint64_t> offsets;
    std::istringstream lines(run.out);
    for (std::string line; std::getline(lines, line);) {
        // "size,pos" and the packet's side data: one block of one slot each.
        const size_t comma = line.find(',');
        if (comma == std::string::npos) {
            continue;
        }
        EXPECT_EQ(line.substr(0, comma), std::to_string(kBlockHeader + kSlot));
        offsets.push_back(std::stoull(line.substr(comma + 1)));
    }
    return offsets;
}

class LigoElsewhere : public ::testing::Test {
protected:
    void SetUp() override {
        map.SetSpeedDial(&dial);
        folder = TestFolder("ligo-elsewhere");
    }
    void TearDown() override { fs::remove_all(folder); }

    std::string Make(const std::string& name, const std::string& options) {
        const std::string clip = (folder / name).string();
        const ToolRun run = MakeClip(clip, "--seconds 6 " + options + " --truth " +
                                               Quoted((folder / "truth.csv").string()));
        EXPECT_EQ(run.status, 0) << run.err;
        return clip;
    }
    bool Load(const std::string& clip) {
        return LoadEmbeddedTrack(clip, {map, chart, dial}, outcome);
    }

    // Every second against the maker's truth; `degrees` is how near the coordinates are.
    void ExpectTruth(double degrees, const std::vector<size_t>& withoutFix = {}) {
        const auto truth = ReadTruth((folder / "truth.csv").string());
        ASSERT_EQ(truth.size(), kSeconds);
        ASSERT_EQ(map.size(), kSeconds);
        for (size_t s = 0; s < kSeconds; ++s) {
            SCOPED_TRACE("second " + std::to_string(s));
            const int second = static_cast<int>(s);
            if (std::find(withoutFix.begin(), withoutFix.end(), s) != withoutFix.end()) {
                EXPECT_FALSE(map.HasPosition(second));
                continue;
            }
            EXPECT_EQ(map.m_fixStatus[s], 'A');
            EXPECT_EQ(map.m_utcTimes[s], kFirstUtc + second);
            EXPECT_NEAR(map.m_latitudes[s], truth[s][1], degrees);
            EXPECT_NEAR(map.m_longitudes[s], truth[s][2], degrees);
            ASSERT_NE(dial.Find(second), nullptr);
            EXPECT_NEAR(dial.Find(second)->speed, truth[s][3], 1.0);
            EXPECT_NEAR(dial.Find(second)->heading, truth[s][4], 1.0);
        }
        // Three decimals of g; the truth counts 1/64 g. (The chart fills a second without
        // fix from its neighbours, so only whole tracks are checked here.)
        if (withoutFix.empty()) {
            ASSERT_EQ(chart.m_samples.size(), kSeconds);
            for (size_t s = 0; s < kSeconds; ++s) {
                EXPECT_NEAR(chart.m_samples[s].x, truth[s][5] / 64.0, 6e-4) << "second " << s;
                EXPECT_NEAR(chart.m_samples[s].z, truth[s][7] / 64.0, 6e-4) << "second " << s;
            }
        }
    }

    CMapTrackStore map;
    CGSampleStore chart;
    CSpeedDialModel dial;
    TrackSourceOutcome outcome;
    fs::path folder;
};

// --- the transport stream's private PES packets

TEST_F(LigoElsewhere, AStreamsRecordsGiveEverySecond) {
    const std::string clip = Make("LIGO.TS", "--layout ligo-ts");
    EXPECT_EQ(PrivatePacketsByFfprobe(clip).size(), kSeconds);
    ASSERT_TRUE(Load(clip));
    EXPECT_EQ(outcome.family, "SigmaStar LigoGPS (MPEG-TS)");
    EXPECT_FALSE(outcome.damagedAt.has_value());
    // Written plain with six decimals.
    ExpectTruth(1e-6);
}

TEST_F(LigoElsewhere, ARecordStraddlingPacketsIsGathered) {
    const std::string clip = Make("LIGO.TS", "--layout ligo-ts --straddle");
    const std::string bytes = FileBytes(clip);
    // Each record's name in one packet and the rest of its slot in a later one, with a
    // packet of the video between them.
    const size_t name = bytes.find(kName);
    ASSERT_NE(name, std::string::npos);
    const size_t start = name / kPacket * kPacket;
    EXPECT_EQ(static_cast<unsigned char>(bytes[start + 1]) & 0x40, 0x40);
    EXPECT_EQ(static_cast<unsigned char>(bytes[start + 2 * kPacket + 1]) & 0x40, 0);
    EXPECT_EQ(bytes[start + 2 * kPacket + 2], bytes[start + 2]); // the same packet id
    ASSERT_TRUE(Load(clip));
    EXPECT_FALSE(outcome.damagedAt.has_value());
    ExpectTruth(1e-6);
}

TEST_F(LigoElsewhere, ARecordThatLostItsSecondPacketIsLoggedAndTheRestKept) {
    const std::string clip = Make("LIGO.TS", "--layout ligo-ts --straddle");
    const std::vector<uint64_t> records = PrivatePacketsByFfprobe(clip);
    ASSERT_EQ(records.size(), kSeconds);
    // Second 2's continuation goes to the null packet id, as if the packet were lost.
    const uint64_t continuation = records[2] + 2 * kPacket;
    Overwrite(clip, continuation + 1, std::string("\x1f\xff", 2));
    testing::internal::CaptureStderr();
    ASSERT_TRUE(Load(clip));
    const std::string log = testing::internal::GetCapturedStderr();
    ASSERT_TRUE(outcome.damagedAt.has_value());
    EXPECT_EQ(*outcome.damagedAt, records[2]);
    EXPECT_NE(log.find("damaged at byte " + std::to_string(records[2])), std::string::npos) << log;
    ExpectTruth(1e-6, {2});
}

TEST_F(LigoElsewhere, GarbageAfterAStreamRecordsNameIsLoggedAndTheRestKept) {
    const std::string clip = Make("LIGO.TS", "--layout ligo-ts");
    const std::vector<uint64_t> records = PrivatePacketsByFfprobe(clip);
    ASSERT_EQ(records.size(), kSeconds);
    const size_t name = FileBytes(clip).find(kName, records[1]);
    Overwrite(clip, name + kBlockHeader, std::string(kSlot, '\xa7'));
    ASSERT_TRUE(Load(clip));
    EXPECT_EQ(outcome.family, "SigmaStar LigoGPS (MPEG-TS)");
    ASSERT_TRUE(outcome.damagedAt.has_value());
    EXPECT_EQ(*outcome.damagedAt, records[1]);
    ExpectTruth(1e-6, {1});
}

TEST_F(LigoElsewhere, AStreamWithoutFixIsFoundWithoutFix) {
    const std::string clip = Make("LIGO.TS", "--layout ligo-ts --status V");
    EXPECT_FALSE(Load(clip));
    EXPECT_EQ(outcome.family, "SigmaStar LigoGPS (MPEG-TS)");
    EXPECT_FALSE(outcome.damagedAt.has_value());
}

// --- the trailer

TEST_F(LigoElsewhere, AnMp4TrailerGivesEverySecond) {
    const std::string clip = Make("LIGO.MP4", "--layout ligo-trailer");
    // The skip box closes the file, its size again after "&&&&".
    const std::string bytes = FileBytes(clip);
    const size_t name = bytes.find(kName);
    ASSERT_NE(name, std::string::npos);
    EXPECT_EQ(bytes.substr(name - 4, 4), "skip");
    EXPECT_EQ(bytes.size() - (name - kBoxHeader), kBoxHeader + kBlockHeader + kSeconds * kSlot + 8);
    EXPECT_EQ(bytes.substr(bytes.size() - 8, 4), "&&&&");
    ASSERT_TRUE(Load(clip));
    EXPECT_EQ(outcome.family, "SigmaStar LigoGPS (trailer)");
    EXPECT_FALSE(outcome.damagedAt.has_value());
    // Six decimals of the scrambled pair, scaled by about 1.5 on the way back.
    ExpectTruth(2e-6);
}

TEST_F(LigoElsewhere, ATrailerAfterTheStreamsPacketsGivesEverySecond) {
    const std::string clip = Make("LIGO.TS", "--layout ligo-trailer");
    const size_t name = FileBytes(clip).find(kName);
    ASSERT_NE(name, std::string::npos);
    EXPECT_EQ((name - kBoxHeader) % kPacket, 0u); // right after the last packet
    testing::internal::CaptureStderr();
    ASSERT_TRUE(Load(clip));
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(outcome.family, "SigmaStar LigoGPS (trailer)");
    // The stream's readers walk up to the box and call nothing there damage.
    EXPECT_FALSE(outcome.damagedAt.has_value());
    EXPECT_EQ(log.find("damaged"), std::string::npos) << log;
    ExpectTruth(2e-6);
}

TEST_F(LigoElsewhere, ATrailerCutInsideASlotKeepsTheSlotsBeforeIt) {
    const std::string clip = Make("LIGO.MP4", "--layout ligo-trailer");
    const size_t name = FileBytes(clip).find(kName);
    const uint64_t slot3 = name + kBlockHeader + 3 * kSlot;
    fs::resize_file(clip, slot3 + 50);
    ASSERT_TRUE(Load(clip));
    ASSERT_TRUE(outcome.damagedAt.has_value());
    EXPECT_EQ(*outcome.damagedAt, slot3);
    for (int s = 0; s < 3; ++s) {
        EXPECT_TRUE(map.HasPosition(s)) << "second " << s;
    }
    EXPECT_FALSE(map.HasPosition(3));
}

TEST_F(LigoElsewhere, GarbageInATrailerSlotIsLoggedAndTheRestKept) {
    const std::string clip = Make("LIGO.MP4", "--layout ligo-trailer");
    const size_t name = FileBytes(clip).find(kName);
    const uint64_t slot2 = name + kBlockHeader + 2 * kSlot;
    Overwrite(clip, slot2, std::string(kSlot, '\x5c'));
    ASSERT_TRUE(Load(clip));
    ASSERT_TRUE(outcome.damagedAt.has_value());
    EXPECT_EQ(*outcome.damagedAt, slot2);
    ExpectTruth(2e-6, {2});
}

TEST_F(LigoElsewhere, ANameInsideTheMediaDataIsNoTrailer) {
    // A clip with a trailer, and the name with a slot's mark in the middle of its media data.
    const std::string clip = Make("LIGO.MP4", "--layout ligo-trailer");
    const size_t mdat = FileBytes(clip).find("mdat");
    ASSERT_NE(mdat, std::string::npos);
    Overwrite(clip, mdat + 1000, kName + std::string(8, '\0') + "####\x40\0\0\0garbage");
    ASSERT_TRUE(Load(clip));
    EXPECT_FALSE(outcome.damagedAt.has_value());
    ExpectTruth(2e-6);

    // Without a trailer the same bytes give nothing, and no damage.
    const std::string plain = Make("PLAIN.MP4", "--no-embedded");
    const size_t media = FileBytes(plain).find("mdat");
    Overwrite(plain, media + 1000, kName + std::string(8, '\0') + "####\x40\0\0\0garbage");
    EXPECT_FALSE(Load(plain));
    EXPECT_FALSE(outcome.damagedAt.has_value());
    EXPECT_EQ(map.size(), 0u);
}

TEST_F(LigoElsewhere, ANameInsideAVideoPacketIsNoTrailer) {
    const std::string clip = Make("LIGO.TS", "--layout ligo-trailer");
    // The middle packet of the stream, past its 4-byte header.
    const uint64_t packets = FileBytes(clip).find(kName) / kPacket;
    Overwrite(clip, packets / 2 * kPacket + 4, kName + std::string(8, '\0') + "####");
    ASSERT_TRUE(Load(clip));
    EXPECT_EQ(outcome.family, "SigmaStar LigoGPS (trailer)");
    EXPECT_FALSE(outcome.damagedAt.has_value());
    ExpectTruth(2e-6);
}

} // namespace
