// The AZDome, Nextbase 512GW, shifted-RMC and Nextbase 512G layouts: clips made by our clip
// maker, loaded through the player's loader and checked against exiftool -ee, which decodes
// the first three through the `gps ` index and the 512G by its own scan; then hand-made
// blocks, damaged in each way a card or a camera can damage them.
#include "tests/support/ClipMaker.h"

#include "track/CGSampleStore.h"
#include "track/CMapTrackStore.h"
#include "track/CSpeedDialModel.h"
#include "track/CameraBlockLayouts.h"
#include "track/ClipTrackLoader.h"
#include "track/ClipTrackLoader.h"
#include "track/EmbeddedTrack.h"
#include "track/MemoryBytes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <iomanip>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

// One exiftool record: time as seconds since the epoch, position, speed in km/h.
struct TheirSecond {
    int64_t utc = 0;
    double latitude = 0.0;
    double longitude = 0.0;
    double speed = 0.0;
};

int64_t EpochOf(const std::string& text) {
    std::tm tm{};
    std::istringstream in(text);
    in >> std::get_time(&tm, "%Y:%m:%d %H:%M:%S");
    return in.fail() ? -1 : static_cast<int64_t>(timegm(&tm));
}

std::vector<TheirSecond> Exiftool(const std::string& clip) {
    const ToolRun run = Shell("exiftool -q -q -ee -n -p "
                              "'$GPSDateTime|$GPSLatitude|$GPSLongitude|$GPSSpeed' " +
                              Quoted(clip));
    std::vector<TheirSecond> seconds;
    std::istringstream lines(run.out);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string time, lat, lon, speed;
        std::getline(fields, time, '|');
        std::getline(fields, lat, '|');
        std::getline(fields, lon, '|');
        std::getline(fields, speed, '|');
        seconds.push_back({EpochOf(time), std::atof(lat.c_str()), std::atof(lon.c_str()),
                           std::atof(speed.c_str())});
    }
    return seconds;
}

// exiftool's accelerations, one row of three per second, in g.
std::vector<std::vector<double>> ExiftoolAccelerations(const std::string& clip) {
    const ToolRun run = Shell("exiftool -q -q -ee -n -p '$Accelerometer' " + Quoted(clip));
    std::vector<std::vector<double>> rows;
    std::istringstream lines(run.out);
    std::string line;
    while (std::getline(lines, line)) {
        for (char& c : line) {
            c = (c == ',' || c == '[' || c == ']') ? ' ' : c;
        }
        std::istringstream numbers(line);
        std::vector<double> row;
        for (double value; numbers >> value;) {
            row.push_back(value);
        }
        rows.push_back(row);
    }
    return rows;
}

class TextLayoutClip : public ::testing::Test {
protected:
    void SetUp() override { map.SetSpeedDial(&dial); }
    void TearDown() override {
        for (const std::string& path : made) {
            std::filesystem::remove(path);
        }
    }
    // Six seconds in the layout. With the index the boxes lie 0x8000 apart; without it they
    // lie further apart than the scan's jump, so the scan takes every one.
    std::string Make(const std::string& layout, const std::string& extra) {
        const std::string clip = ::testing::TempDir() + "ostvik-text-layout-" +
                                 std::to_string(::getpid()) + "-" + std::to_string(made.size()) +
                                 "-" + layout + ".MP4";
        made.push_back(clip);
        const ToolRun run = MakeClip(clip, "--seconds 6 --layout " + layout + " " + extra);
        EXPECT_EQ(run.status, 0) << run.err;
        return clip;
    }
    std::string Indexed(const std::string& layout) {
        return Make(layout, "--index --block-spacing 0x8000");
    }
    std::string Scanned(const std::string& layout) { return Make(layout, ""); }

    bool Load(const std::string& clip) {
        map.Clear();
        return LoadClipTrack(clip, {map, chart, dial}).embeddedFix;
    }

    // Our seconds against exiftool's, from the same drive.
    void ExpectSame(const std::vector<TheirSecond>& theirs) {
        ASSERT_EQ(theirs.size(), 6u);
        ASSERT_EQ(map.size(), 6u);
        for (size_t s = 0; s < theirs.size(); ++s) {
            SCOPED_TRACE("second " + std::to_string(s));
            EXPECT_EQ(map.m_fixStatus[s], 'A');
            EXPECT_NEAR(map.m_latitudes[s], theirs[s].latitude, 1e-7);
            EXPECT_NEAR(map.m_longitudes[s], theirs[s].longitude, 1e-7);
            EXPECT_EQ(map.m_utcTimes[s], theirs[s].utc);
            // The dial keeps whole km/h of the speed rounded to 0.01.
            EXPECT_EQ(dial.Find(static_cast<int>(s))->speed,
                      static_cast<int>(std::round(theirs[s].speed * 100) / 100));
        }
    }
    void ExpectSameAccelerations(const std::vector<std::vector<double>>& theirs) {
        ASSERT_EQ(theirs.size(), 6u);
        ASSERT_EQ(chart.m_samples.size(), 6u);
        for (size_t s = 0; s < theirs.size(); ++s) {
            ASSERT_EQ(theirs[s].size(), 3u);
            // The track line carries five decimals.
            EXPECT_NEAR(chart.m_samples[s].x, theirs[s][0], 1e-5) << "second " << s;
            EXPECT_NEAR(chart.m_samples[s].y, theirs[s][1], 1e-5) << "second " << s;
            EXPECT_NEAR(chart.m_samples[s].z, theirs[s][2], 1e-5) << "second " << s;
        }
    }
    void ExpectNoFix(const std::string& clip) {
        EXPECT_FALSE(Load(clip));
        // The loader goes on to the (absent) logs beside the clip; the blocks' own seconds:
        EXPECT_FALSE(LoadEmbeddedTrack(clip, {map, chart, dial}));
        ASSERT_EQ(map.size(), 6u);
        for (char status : map.m_fixStatus) {
            EXPECT_EQ(status, 'V');
        }
    }

    CMapTrackStore map;
    CGSampleStore chart;
    CSpeedDialModel dial;
    std::vector<std::string> made;
};

TEST_F(TextLayoutClip, AzdomeMatchesExiftoolIndexedAndScanned) {
    const std::string indexed = Indexed("azdome");
    const auto theirs = Exiftool(indexed);
    ASSERT_TRUE(Load(indexed));
    ExpectSame(theirs);
    ExpectSameAccelerations(ExiftoolAccelerations(indexed));
    // exiftool 12.57 reads these blocks only through the index; the scan reads them alike.
    ASSERT_TRUE(Load(Scanned("azdome")));
    ExpectSame(theirs);
}

TEST_F(TextLayoutClip, Nextbase512GwMatchesExiftoolIndexedAndScanned) {
    const std::string indexed = Indexed("nextbase-512gw");
    const auto theirs = Exiftool(indexed);
    ASSERT_TRUE(Load(indexed));
    ExpectSame(theirs);
    ExpectSameAccelerations(ExiftoolAccelerations(indexed));
    ASSERT_TRUE(Load(Scanned("nextbase-512gw")));
    ExpectSame(theirs);
}

TEST_F(TextLayoutClip, ShiftedRmcMatchesExiftoolAndLeavesTheChartEmpty) {
    const std::string indexed = Indexed("shifted-rmc");
    const auto theirs = Exiftool(indexed);
    ASSERT_TRUE(Load(indexed));
    ExpectSame(theirs);
    EXPECT_EQ(chart.m_samples.size(), 1u); // only the reset's own sample
    ASSERT_TRUE(Load(Scanned("shifted-rmc")));
    ExpectSame(theirs);
}

TEST_F(TextLayoutClip, Nextbase512GMatchesExiftoolScannedAndThroughAnIndex) {
    // exiftool 12.57 decodes these records only when it scans for them itself.
    const std::string scanned = Scanned("nextbase-512g");
    const auto theirs = Exiftool(scanned);
    ASSERT_TRUE(Load(scanned));
    ExpectSame(theirs);
    EXPECT_EQ(chart.m_samples.size(), 1u);
    ASSERT_TRUE(Load(Indexed("nextbase-512g")));
    ExpectSame(theirs);
}

TEST_F(TextLayoutClip, RecordsWithoutFixGiveNoPosition) {
    for (const char* layout : {"azdome", "nextbase-512gw", "shifted-rmc", "nextbase-512g"}) {
        SCOPED_TRACE(layout);
        ExpectNoFix(Make(layout, "--status V"));
    }
}

// ---------------------------------------------------------------- hand-made blocks

constexpr size_t kMarkerAt = 4;

// A box of `size` bytes with its size field and marker, the rest zeros.
std::vector<unsigned char> Box(size_t size) {
    std::vector<unsigned char> box(size);
    for (int i = 0; i < 4; ++i) {
        box[static_cast<size_t>(i)] = static_cast<unsigned char>(size >> (24 - 8 * i));
    }
    std::memcpy(&box[kMarkerAt], "freeGPS ", 8);
    return box;
}

void PutText(std::vector<unsigned char>& box, size_t at, const std::string& text, int add = 0,
             unsigned char mask = 0) {
    for (size_t i = 0; i < text.size(); ++i) {
        box[at + i] =
            static_cast<unsigned char>((static_cast<unsigned char>(text[i]) + add) ^ mask);
    }
}

FreeGpsBlock Decode(const std::vector<unsigned char>& box, size_t window = SIZE_MAX) {
    const size_t length = std::min(window, box.size() - kMarkerAt);
    return DecodeCameraBlock(std::span<const unsigned char>(box.data() + kMarkerAt, length),
                             kMarkerAt);
}

// 12:34:56 on 2024-06-01 is 1717245296 s (date -u -d '2024-06-01 12:34:56' +%s).
constexpr int64_t kNoon = 1717245296;

// AZDome: the masked text from box offset 18; its fields from 8 in the plain text.
std::vector<unsigned char> AzdomeBox(const std::string& ns, const std::string& lat,
                                     const std::string& ew, const std::string& lon) {
    std::vector<unsigned char> box = Box(0x200);
    std::string text(0x101, '\0');
    text.replace(0, 8, std::string("\0\0XKZD\xfe\xfe", 8));
    text.replace(8, 14, "20240601123456");
    text.replace(38, 1, ns);
    text.replace(39, 8, lat);
    text.replace(47, 1, ew);
    text.replace(48, 9, lon);
    text.replace(57, 8, "00000042");
    text.replace(173, 12, "+093-003-005");
    PutText(box, 18, text, 0, 0xAA);
    return box;
}

TEST(AzdomeBlock, DecodesByHandAndRejectsDamage) {
    // 5930.0000 is 59 degrees 30 minutes = 59.5; 01800.0000 is 18; speed 42 km/h as
    // written; the accelerations in 1/100 g.
    const FreeGpsBlock good = Decode(AzdomeBox("N", "59300000", "W", "018000000"));
    EXPECT_EQ(good.status, 'A');
    EXPECT_DOUBLE_EQ(good.latitude, 59.5);
    EXPECT_DOUBLE_EQ(good.longitude, -18.0);
    EXPECT_FLOAT_EQ(good.speed, 42.0f);
    EXPECT_EQ(good.utcTime, kNoon);
    ASSERT_TRUE(good.hasSensor);
    EXPECT_DOUBLE_EQ(good.x, 0.93);
    EXPECT_DOUBLE_EQ(good.z, -0.05);

    EXPECT_EQ(Decode(AzdomeBox("X", "59300000", "E", "018000000")).status, 'V');
    EXPECT_EQ(Decode(AzdomeBox("N", "5930 000", "E", "018000000")).status, 'V');
    EXPECT_EQ(Decode(AzdomeBox("N", "59300000", "E", "01800000x")).status, 'V');
    EXPECT_EQ(Decode(AzdomeBox("N", "59700000", "E", "018000000")).status, 'V'); // 70 min
    // The window ends inside the longitude digits.
    EXPECT_EQ(Decode(AzdomeBox("N", "59300000", "E", "018000000"), 14 + 50).status, 'V');
}

// The RMC sentence for 12:34:56 on 2024-06-01 at the position, 10 knots, course 90.
std::string Rmc(const std::string& status, const std::string& position,
                const std::string& speed = "10.0") {
    return "$GPRMC,123456.00," + status + "," + position + "," + speed + ",90.0,010624,,,A*00\r\n";
}

std::vector<unsigned char> NextbaseTextBox(const std::string& sentences) {
    std::vector<unsigned char> box = Box(0x200);
    PutText(box, 0x34, "20240601143456"); // the camera's own clock, local time
    box[0x45] = 1;                        // 256 / 256 g on x
    PutText(box, 0x50, sentences);
    return box;
}

std::vector<unsigned char> ShiftedRmcBox(const std::string& sentence) {
    std::vector<unsigned char> box = Box(0x100);
    PutText(box, 0x3C, sentence.substr(0, 80), 16);
    return box;
}

TEST(NmeaTextBlocks, DecodeByHandAndRejectsDamage) {
    const std::string position = "5930.0000,N,01800.0000,E";
    for (const bool shifted : {false, true}) {
        SCOPED_TRACE(shifted ? "shifted RMC" : "Nextbase 512GW");
        const auto box = [&](const std::string& text) {
            return shifted ? ShiftedRmcBox(text) : NextbaseTextBox(text);
        };
        const FreeGpsBlock good = Decode(box(Rmc("A", position)));
        EXPECT_EQ(good.status, 'A');
        EXPECT_DOUBLE_EQ(good.latitude, 59.5);
        EXPECT_DOUBLE_EQ(good.longitude, 18.0);
        EXPECT_FLOAT_EQ(good.speed, 18.52f); // 10 knots x 1.852
        EXPECT_FLOAT_EQ(good.course, 90.0f);
        EXPECT_EQ(good.utcTime, kNoon);
        EXPECT_EQ(good.hasSensor, !shifted);

        EXPECT_EQ(Decode(box(Rmc("V", position))).status, 'V');
        EXPECT_EQ(Decode(box(Rmc("A", "5930.0000,X,01800.0000,E"))).status, 'V');
        EXPECT_EQ(Decode(box(Rmc("A", "5930.0000,N,01800.0000,Q"))).status, 'V');
        EXPECT_EQ(Decode(box(Rmc("A", "nan,N,01800.0000,E"))).status, 'V');
        EXPECT_EQ(Decode(box(Rmc("A", "inf,N,01800.0000,E"))).status, 'V');
        EXPECT_EQ(Decode(box(Rmc("A", ",N,01800.0000,E"))).status, 'V');
        EXPECT_EQ(Decode(box(Rmc("A", "5930.,N,01800.0000,E"))).status, 'V');
        const FreeGpsBlock infinite = Decode(box(Rmc("A", position, "inf")));
        EXPECT_EQ(infinite.status, 'A');
        EXPECT_FLOAT_EQ(infinite.speed, 0.0f);
    }
    // The window ends inside the 512GW's sentence, before its longitude.
    EXPECT_EQ(Decode(NextbaseTextBox(Rmc("A", position)), kCameraBlockLength).status, 'V');
    // With no RMC the 512GW's GGA gives the position when its quality says there is a fix.
    const std::string gga = "$GPGGA,123456.00,5930.0000,S,01800.0000,E,";
    const FreeGpsBlock fromGga = Decode(NextbaseTextBox(gga + "1,08,0.9,25.0,M,,,,*00\r\n"));
    EXPECT_EQ(fromGga.status, 'A');
    EXPECT_DOUBLE_EQ(fromGga.latitude, -59.5);
    EXPECT_EQ(fromGga.utcTime, kUnknownUtc); // GGA has no date
    EXPECT_EQ(Decode(NextbaseTextBox(gga + "0,00,,,M,,,,*00\r\n")).status, 'V');
    EXPECT_DOUBLE_EQ(fromGga.x, 1.0);
}

// A 512G record: speed 1000 (10 m/s = 36 km/h), course -9000 (-90 = 270 degrees),
// 2024-06-01 12:34:56 (560 tenths), latitude 595000000 (59.5), longitude -180000000 (-18).
std::vector<unsigned char> Nextbase512GBox(int32_t latitude = 595000000) {
    std::vector<unsigned char> box = Box(0x100);
    PutText(box, 0x10, "x.xx");
    const unsigned char record[] = {0x24, 0x53, 0x03, 0xE8, 0xDC, 0xD8, 0x07, 0xE8,
                                    6,    1,    12,   34,   0x02, 0x30, 2};
    std::memcpy(&box[0x30], record, sizeof record);
    const auto putBE = [&](size_t at, int32_t value) {
        for (int i = 0; i < 4; ++i) {
            box[at + static_cast<size_t>(i)] =
                static_cast<unsigned char>(static_cast<uint32_t>(value) >> (24 - 8 * i));
        }
    };
    putBE(0x3F, latitude);
    putBE(0x43, -180000000);
    return box;
}

TEST(Nextbase512GBlock, DecodesByHandAndRejectsDamage) {
    std::vector<unsigned char> box = Nextbase512GBox();
    const FreeGpsBlock good = Decode(box);
    EXPECT_EQ(good.status, 'A');
    EXPECT_DOUBLE_EQ(good.latitude, 59.5);
    EXPECT_DOUBLE_EQ(good.longitude, -18.0);
    EXPECT_FLOAT_EQ(good.speed, 36.0f);
    EXPECT_FLOAT_EQ(good.course, 270.0f);
    EXPECT_EQ(good.utcTime, kNoon);
    EXPECT_FALSE(good.hasSensor);
    EXPECT_EQ(Decode(Nextbase512GBox(950000000)).status, 'V'); // 95 degrees
    EXPECT_EQ(Decode(Nextbase512GBox(0)).status, 'A');         // on the equator
    box[0x38] = 13;                                            // month 13: not this layout
    EXPECT_NE(DetectBlockLayout(std::span<const unsigned char, kCameraBlockLength>(
                  box.data() + kMarkerAt, kCameraBlockLength)),
              BlockLayout::Nextbase512G);
}

TEST(TextLayoutScan, BoxesCutByTheEndOfTheFileOrTheirSizeReadNoFurther) {
    // A 512GW box whose sentence runs past its own size field, then past the file's end.
    std::vector<unsigned char> file((1 << 20) + 0x200);
    std::vector<unsigned char> box = NextbaseTextBox(Rmc("A", "5930.0000,N,01800.0000,E"));
    std::memcpy(&file[1 << 20], box.data(), box.size() - 0x100);
    MemoryBytes whole(file.data(), file.size());
    ASSERT_EQ(ReadEmbeddedBlocks(whole).blocks.size(), 1u);
    EXPECT_EQ(ReadEmbeddedBlocks(whole).blocks[0].status, 'A');
    file[(1 << 20) + 2] = 0;
    file[(1 << 20) + 3] = 0x60; // the box ends inside the sentence
    EXPECT_EQ(ReadEmbeddedBlocks(whole).blocks[0].status, 'V');
    file[(1 << 20) + 2] = 0x02;
    file[(1 << 20) + 3] = 0;
    // 0x70 bytes from the marker: the sentence stops at "...,N,0180".
    MemoryBytes cut(file.data(), (1 << 20) + 4 + 0x70);
    ASSERT_EQ(ReadEmbeddedBlocks(cut).blocks.size(), 1u);
    EXPECT_EQ(ReadEmbeddedBlocks(cut).blocks[0].status, 'V');
}

TEST(TextLayoutScan, TenMegabytesOfJunkBehindTheSignaturesGiveNoFix) {
    // Random bytes after each layout's signature, a block every 1.1 MiB.
    std::vector<unsigned char> junk(10 << 20);
    std::mt19937 random(11);
    for (auto& byte : junk) {
        byte = static_cast<unsigned char>(random());
    }
    const std::vector<std::vector<unsigned char>> heads = {
        AzdomeBox("N", "59300000", "E", "018000000"),
        NextbaseTextBox(""),
        ShiftedRmcBox("$GPRMC,"),
    };
    size_t kind = 0;
    for (size_t at = 1 << 20; at + 0x1000 < junk.size(); at += 0x118000, ++kind) {
        const std::vector<unsigned char>& head = heads[kind % heads.size()];
        // The size field, marker and signature only; what follows stays junk.
        const size_t keep = kind % 3 == 0 ? 26 : kind % 3 == 1 ? 0x42 : 0x43;
        std::memcpy(&junk[at], head.data(), keep);
    }
    MemoryBytes source(junk.data(), junk.size());
    const std::vector<FreeGpsBlock> blocks = ReadEmbeddedBlocks(source).blocks;
    EXPECT_EQ(blocks.size(), kind);
    for (const FreeGpsBlock& block : blocks) {
        EXPECT_EQ(block.status, 'V') << block.offset;
    }
}

} // namespace
