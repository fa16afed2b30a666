// The 70mai `GPS ` box on a real recording, checked second by second against exiftool's
// reading of the same file, and the 70mai A810's freeGPS block built from the bytes
// exiftool's notes show, with values worked by hand.
#include "tests/support/FileBytes.h"
#include "track/CGSampleStore.h"
#include "track/CMapTrackStore.h"
#include "track/CSpeedDialModel.h"
#include "track/CameraBlockLayouts.h"
#include "track/ClipFile.h"
#include "track/ClipTrackLoader.h"
#include "track/MemoryBytes.h"
#include "track/readers/CameraReader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

const CameraReader& SeventyMaiInClipReader();

namespace {

const std::filesystem::path kCameras =
    std::filesystem::path(OSTVIK_MKCLIP).parent_path().parent_path() / "tests/data/cameras";
const std::string kClip = (kCameras / "70mai/NO20191130-120156-000121.MP4").string();

// Where the box's records begin: exiftool -v3 shows the `GPS ` box's payload at 0x4fb.
constexpr size_t kFirstRecord = 0x4fb;
constexpr size_t kRecordBytes = 36;

struct Reference {
    double lat;
    double lon;
    double speed;
};

// exiftool 12.57 -ee3 -n, one row per record from clip second 0.
std::vector<Reference> ExiftoolRows() {
    std::ifstream file(kClip + ".ref.csv");
    std::string line;
    std::getline(file, line);
    std::vector<Reference> rows;
    while (std::getline(file, line)) {
        std::vector<std::string> fields;
        std::istringstream in(line);
        for (std::string field; std::getline(in, field, ',');) {
            fields.push_back(field);
        }
        rows.push_back({std::stod(fields[2]), std::stod(fields[3]), std::stod(fields[4])});
    }
    return rows;
}

std::vector<unsigned char> ClipBytes() {
    return FileByteVector(kClip);
}

class SeventyMaiBox : public ::testing::Test {
protected:
    ReaderOutcome Read(ByteSource& bytes) {
        return SeventyMaiInClipReader().Read({bytes, kClip, nullptr}, {map, chart, dial});
    }
    void ExpectSecond(int second, const Reference& row) {
        ASSERT_LT(static_cast<size_t>(second), map.size());
        EXPECT_EQ(map.m_fixStatus[second], 'A') << second;
        EXPECT_NEAR(map.m_latitudes[second], row.lat, 1e-5) << second;
        EXPECT_NEAR(map.m_longitudes[second], row.lon, 1e-5) << second;
        const SpeedRecord* speed = dial.Find(second);
        ASSERT_NE(speed, nullptr) << second;
        EXPECT_NEAR(speed->speed, row.speed, 1.0) << second;
    }

    CMapTrackStore map;
    CGSampleStore chart;
    CSpeedDialModel dial;
};

TEST_F(SeventyMaiBox, EverySecondMatchesExiftool) {
    const std::vector<Reference> rows = ExiftoolRows();
    ASSERT_EQ(rows.size(), 61u);
    ClipFile file;
    ASSERT_TRUE(file.Open(kClip));
    EXPECT_TRUE(SeventyMaiInClipReader().Claims(file));
    const ReaderOutcome outcome = Read(file);
    EXPECT_TRUE(outcome.found);
    EXPECT_TRUE(outcome.fix);
    EXPECT_FALSE(outcome.damagedAt.has_value());
    // The zero records after the 61st end the track.
    ASSERT_EQ(map.size(), rows.size());
    for (size_t s = 0; s < rows.size(); ++s) {
        ExpectSecond(static_cast<int>(s), rows[s]);
    }
}

TEST_F(SeventyMaiBox, TheLoaderReadsItBeforeTheScanAndStopsAtTheClipsEnd) {
    TrackSourceOutcome outcome{.path = kClip};
    EXPECT_TRUE(LoadEmbeddedTrack(kClip, {map, chart, dial}, outcome));
    EXPECT_EQ(outcome.family, "70mai GPS box");
    // The cut-down movie runs 90000 / 90000 = 1 s: seconds 0 to 1 + 5 past its end.
    ASSERT_EQ(map.size(), 7u);
    const std::vector<Reference> rows = ExiftoolRows();
    for (int s = 0; s < 7; ++s) {
        ExpectSecond(s, rows[s]);
    }
}

TEST_F(SeventyMaiBox, ADamagedRecordIsSkippedAndTheRestKept) {
    std::vector<unsigned char> bytes = ClipBytes();
    const size_t third = kFirstRecord + 3 * kRecordBytes;
    bytes[third + 16] = 'X'; // no hemisphere
    const size_t fifth = kFirstRecord + 5 * kRecordBytes;
    // 52° 60.000' as DDMM.mmm × 1000 is 5260000, 0x005042e0: minutes past 59.
    bytes[fifth + 17] = 0xe0;
    bytes[fifth + 18] = 0x42;
    bytes[fifth + 19] = 0x50;
    bytes[fifth + 20] = 0x00;
    MemoryBytes source(bytes.data(), bytes.size());
    const ReaderOutcome outcome = Read(source);
    EXPECT_TRUE(outcome.fix);
    ASSERT_TRUE(outcome.damagedAt.has_value());
    EXPECT_EQ(*outcome.damagedAt, third);
    const std::vector<Reference> rows = ExiftoolRows();
    ASSERT_EQ(map.size(), rows.size());
    EXPECT_EQ(map.m_fixStatus[3], 'V');
    EXPECT_EQ(map.m_fixStatus[5], 'V');
    for (int s : {2, 4, 6, 60}) {
        ExpectSecond(s, rows[s]);
    }
}

TEST_F(SeventyMaiBox, AClipCutInsideTheBoxKeepsTheWholeRecordsBeforeTheCut) {
    std::vector<unsigned char> bytes = ClipBytes();
    bytes.resize(kFirstRecord + 10 * kRecordBytes + 20);
    MemoryBytes source(bytes.data(), bytes.size());
    const ReaderOutcome outcome = Read(source);
    EXPECT_TRUE(outcome.fix);
    ASSERT_EQ(map.size(), 10u);
    ExpectSecond(9, ExiftoolRows()[9]);
}

TEST_F(SeventyMaiBox, AClipWithoutTheBoxIsNotClaimed) {
    std::vector<unsigned char> bytes = ClipBytes();
    bytes[0x4f3 + 4] = 'g'; // "gPS ": another box
    MemoryBytes source(bytes.data(), bytes.size());
    EXPECT_FALSE(SeventyMaiInClipReader().Claims(source));
    EXPECT_FALSE(Read(source).found);
}

// The 80 bytes exiftool's notes show of a 70mai A810 freeGPS box.
std::vector<unsigned char> A810Box() {
    std::vector<unsigned char> box = {
        0x00, 0x00, 0x40, 0x00, 0x66, 0x72, 0x65, 0x65, 0x47, 0x50, 0x53, 0x20, 0xed, 0x01,
        0x00, 0x00, 0x03, 0x00, 0xed, 0x01, 0x00, 0x00, 0x00, 0x0f, 0x00, 0x00, 0x70, 0x08,
        0x00, 0x00, 0x41, 0x66, 0x13, 0x7d, 0x1e, 0x3c, 0x11, 0xdc, 0x03, 0x5d, 0x01, 0x00,
        0x00, 0x01, 0x00, 0x00, 0x00, 0x23, 0x00, 0x00, 0x00, 0x56, 0x56};
    box.resize(0x200);
    return box;
}

FreeGpsBlock DecodeBox(const std::vector<unsigned char>& box) {
    const std::span<const unsigned char, kCameraBlockLength> block(&box[4], kCameraBlockLength);
    EXPECT_EQ(DetectBlockLayout(block), BlockLayout::SeventyMai);
    return DecodeCameraBlock(block, 4);
}

TEST(SeventyMaiBlock, TheA810BlockGivesItsPositionAndSpeed) {
    const FreeGpsBlock block = DecodeBox(A810Box());
    EXPECT_EQ(block.status, 'A');
    // 66 13 7d 1e is 511513446: 5115.13446, 51° 15.13446' = 51.252241°.
    EXPECT_NEAR(block.latitude, 51.252241, 1e-6);
    // 3c 11 dc 03 is 64753980: 647.53980, 6° 47.5398' = 6.792330°.
    EXPECT_NEAR(block.longitude, 6.792330, 1e-6);
    EXPECT_FLOAT_EQ(block.speed, 1.0f); // 01 00 00 00 at offset 43
    EXPECT_FALSE(block.hasSensor);
    EXPECT_EQ(block.utcTime, kUnknownUtc);
}

TEST(SeventyMaiBlock, SouthAndWestAreNegativeNumbers) {
    std::vector<unsigned char> box = A810Box();
    // -511513446 is 0xe182ec9a.
    box[31] = 0x9a;
    box[32] = 0xec;
    box[33] = 0x82;
    box[34] = 0xe1;
    const FreeGpsBlock block = DecodeBox(box);
    EXPECT_EQ(block.status, 'A');
    EXPECT_NEAR(block.latitude, -51.252241, 1e-6);
    EXPECT_NEAR(block.longitude, 6.792330, 1e-6);
}

TEST(SeventyMaiBlock, NoFixOrImpossibleMinutesGiveASecondWithoutFix) {
    std::vector<unsigned char> noFix = A810Box();
    noFix[30] = 'V';
    EXPECT_EQ(DecodeBox(noFix).status, 'V');
    std::vector<unsigned char> minutes = A810Box();
    // 5165.00000 × 100000 = 516500000 = 0x1ec92a20: 65 minutes.
    minutes[31] = 0x20;
    minutes[32] = 0x2a;
    minutes[33] = 0xc9;
    minutes[34] = 0x1e;
    EXPECT_EQ(DecodeBox(minutes).status, 'V');
}

TEST(SeventyMaiBlock, WithoutItsMarksTheBlockIsNotTakenForOne) {
    std::vector<unsigned char> box = A810Box();
    box[52] = 0; // "V" alone
    const std::span<const unsigned char, kCameraBlockLength> block(&box[4], kCameraBlockLength);
    EXPECT_NE(DetectBlockLayout(block), BlockLayout::SeventyMai);
}

} // namespace
