#include "track/CMapTrackStore.h"
#include "track/CSpeedDialModel.h"
#include "track/SidecarLog.h"
#include "track/TrackDispatch.h"

#include "NmeaText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <unistd.h>

namespace {

class MapTrackStore : public ::testing::Test {
protected:
    void SetUp() override { store.SetSpeedDial(&dial); }

    std::string WriteLog(const std::string& text) {
        const auto path = std::filesystem::temp_directory_path() /
                          ("ostvik-nmea-" + std::to_string(::getpid()) + "-" +
                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::ofstream(path, std::ios::binary) << text;
        written = path;
        return path.string();
    }
    void TearDown() override {
        if (!written.empty()) {
            std::filesystem::remove(written);
        }
    }

    CMapTrackStore store;
    CSpeedDialModel dial;
    std::filesystem::path written;
};

TEST_F(MapTrackStore, EmptyStoreShowsNothing) {
    EXPECT_FALSE(store.ShowSecond(0));
    EXPECT_FALSE(store.ShowSecond(-1));
    EXPECT_EQ(store.m_nLastShown, -1);
}

TEST_F(MapTrackStore, MarkerTextsCarryFifteenDecimals) {
    store.PutEntry(0, 59.5, -18.25, 'A');
    const auto texts = store.ShowSecond(0);
    ASSERT_TRUE(texts);
    EXPECT_EQ((*texts)[0], "59.500000000000000");
    EXPECT_EQ((*texts)[1], "-18.250000000000000");
    EXPECT_EQ((*texts)[2], (*texts)[0]);
    EXPECT_EQ((*texts)[3], (*texts)[1]);
    EXPECT_EQ(store.m_nLastShown, 0);
}

TEST_F(MapTrackStore, OnlyValidFixesAtRealPositionsAreShown) {
    store.PutEntry(0, 59.5, 18.25, 'V');
    store.PutEntry(1, 0.0, 18.25, 'A');
    store.PutEntry(2, 59.5, -0.0, 'A');
    store.PutEntry(3, 1e-20, 18.25, 'A');
    store.PutEntry(4, 91.0, 18.25, 'A');
    store.PutEntry(5, std::nan(""), 18.25, 'A');
    store.PutEntry(6, 59.5, 18.25, 'A');
    for (int s = 0; s < 6; ++s) {
        EXPECT_FALSE(store.ShowSecond(s)) << "second " << s;
    }
    EXPECT_EQ(store.m_nLastShown, -1);
    EXPECT_TRUE(store.ShowSecond(6));
    EXPECT_FALSE(store.ShowSecond(7));
    EXPECT_EQ(store.m_nLastShown, 6);
}

TEST_F(MapTrackStore, TrackLinesLandAtTheirSecondWhateverTheirOrder) {
    const std::string rmc = Rmc("5930.0000", 'N', "01800.0000", 'E', "10.0", "90.0");
    EXPECT_EQ(store.StoreTrackLine(("T:3000 X:0 Y:0 Z:0 G:0 " + rmc).c_str()), 1);
    ASSERT_EQ(store.size(), 4u);
    EXPECT_EQ(store.m_fixStatus[0], 'V'); // skipped seconds hold no fix
    EXPECT_EQ(store.m_fixStatus[3], 'A');
    EXPECT_DOUBLE_EQ(store.m_latitudes[3], 59.5);
    EXPECT_DOUBLE_EQ(store.m_longitudes[3], 18.0);

    const std::string south = Rmc("1230.5000", 'S', "04500.0000", 'W');
    store.StoreTrackLine(("T:1000 X:0 Y:0 Z:0 G:0 " + south).c_str());
    EXPECT_EQ(store.size(), 4u);
    EXPECT_DOUBLE_EQ(store.m_latitudes[1], -(12 + 30.5 / 60));
    EXPECT_DOUBLE_EQ(store.m_longitudes[1], -45.0);

    store.StoreTrackLine(
        ("T:3000 X:0 Y:0 Z:0 G:0 " + Rmc("0", 'N', "0", 'E', "0", "0", 'V')).c_str());
    EXPECT_EQ(store.m_fixStatus[3], 'V'); // a later line for a second replaces it
}

TEST_F(MapTrackStore, TrackLineSpeedReachesTheDialInKilometresPerHour) {
    const std::string rmc = Rmc("5930.0000", 'N', "01800.0000", 'E', "54.0", "359.9");
    store.StoreTrackLine(("T:2000 X:0 Y:0 Z:0 G:0 " + rmc).c_str());
    ASSERT_NE(dial.Find(2), nullptr);
    EXPECT_EQ(dial.Find(2)->speed, 100); // 54 knots is 100.008 km/h
    EXPECT_EQ(dial.Find(2)->heading, 359);
}

TEST_F(MapTrackStore, LineWithoutSentenceOrTimeStoresNothing) {
    EXPECT_EQ(store.StoreTrackLine("T:0 X:0.1 Y:0 Z:1 G:0"), 0);
    EXPECT_EQ(store.StoreTrackLine(nullptr), 0);
    EXPECT_EQ(store.StoreTrackLine(("X:0 " + Rmc("5930.0", 'N', "01800.0", 'E')).c_str()), 0);
    EXPECT_EQ(store.size(), 0u);
    EXPECT_TRUE(dial.m_records.empty());
}

TEST_F(MapTrackStore, LineWithoutValidRmcStoresNoFixAndZeroSpeed) {
    std::string bad = Rmc("5930.0000", 'N', "01800.0000", 'E', "20.0");
    bad.back() = bad.back() == '0' ? '1' : '0'; // break the checksum
    EXPECT_EQ(store.StoreTrackLine(("T:0 X:0 Y:0 Z:0 G:0 " + bad).c_str()), 1);
    ASSERT_EQ(store.size(), 1u);
    EXPECT_EQ(store.m_fixStatus[0], 'V');
    EXPECT_EQ(store.m_latitudes[0], 0.0);
    ASSERT_NE(dial.Find(0), nullptr);
    EXPECT_EQ(dial.Find(0)->speed, 0);
}

TEST_F(MapTrackStore, LineWithAnUnfinishedSentenceLeavesTheSecondAlone) {
    const std::string whole = Rmc("5930.0000", 'N', "01800.0000", 'E', "20.0");
    const std::string unfinished[] = {
        whole.substr(0, whole.find('*')), // a receiver that writes no checksum
        whole.substr(0, whole.size() - 1),
        whole.substr(0, whole.size() - 2),
        whole.substr(0, whole.find(",E,") - 3),
    };
    for (const std::string& sentence : unfinished) {
        store.Clear();
        ASSERT_EQ(store.StoreTrackLine(("T:0 X:0 Y:0 Z:0 G:0 " + whole).c_str()), 1);
        EXPECT_EQ(store.StoreTrackLine(("T:0 X:0 Y:0 Z:0 G:0 " + sentence).c_str()), 0);
        EXPECT_TRUE(store.HasPosition(0)) << sentence;
        EXPECT_EQ(dial.Find(0)->speed, 37) << sentence; // 20 kn = 37.04 km/h
    }
}

// hhmmss.00 of 12:00:00 plus `second`, and a latitude of 59 degrees plus `second` minutes,
// so each second's position tells where it came from.
std::string Clock(int second) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d%02d%02d.00", (12 + second / 3600) % 24, second / 60 % 60,
                  second % 60);
    return text;
}

std::string RmcOfSecond(int second, const std::string& time) {
    char minutes[16];
    std::snprintf(minutes, sizeof minutes, "59%02d.0000", second % 60);
    return RmcAt(time, minutes, 'N', "01800.0000", 'E');
}

std::string RmcOfSecond(int second) {
    return RmcOfSecond(second, Clock(second));
}

TEST_F(MapTrackStore, NmeaLogPutsEachRmcAtTheSecondOfItsTime) {
    std::string log;
    for (int s = 0; s < 60; ++s) {
        log += RmcOfSecond(s) + "\r\n";
    }
    store.PutEntry(99, 1, 1, 'A');
    store.m_nLastShown = 99;
    EXPECT_TRUE(store.LoadNmeaLog(WriteLog(log)));
    ASSERT_EQ(store.size(), 60u);
    EXPECT_EQ(store.m_nLastShown, -1);
    EXPECT_DOUBLE_EQ(store.m_latitudes[59], 59 + 59 / 60.0);
    // 2026-12-07T12:00:59Z: `date -u -d 2026-12-07T12:00:00Z +%s` is 1796644800.
    EXPECT_EQ(store.m_utcTimes[59], 1796644800 + 59);
}

TEST_F(MapTrackStore, NmeaLogGivesTheDialItsSpeedInKilometresPerHour) {
    const std::string log =
        RmcAt(Clock(0), "5930.0000", 'N', "01800.0000", 'E', "27.0", "90.0") + "\r\n" +
        RmcAt(Clock(1), "5930.0100", 'N', "01800.0000", 'E', "54.0", "359.9") + "\r\n";
    EXPECT_TRUE(store.LoadNmeaLog(WriteLog(log)));
    ASSERT_NE(dial.Find(0), nullptr);
    EXPECT_EQ(dial.Find(0)->speed, 50); // 27 knots is 50.004 km/h
    EXPECT_EQ(dial.Find(0)->heading, 90);
    ASSERT_NE(dial.Find(1), nullptr);
    EXPECT_EQ(dial.Find(1)->speed, 100); // 54 knots is 100.008 km/h
    EXPECT_EQ(dial.Find(1)->heading, 359);
}

TEST_F(MapTrackStore, NmeaLogReadsPastEightKilobytesAndAnyLineEnd) {
    std::string log;
    for (int s = 0; s < 200; ++s) {
        log += RmcOfSecond(s) + (s % 3 == 0 ? "\n" : "\r\n");
    }
    ASSERT_GT(log.size(), 8192u);
    EXPECT_TRUE(store.LoadNmeaLog(WriteLog(log)));
    EXPECT_EQ(store.size(), 200u);
    EXPECT_DOUBLE_EQ(store.m_latitudes[199], 59 + 19 / 60.0);
}

// Six seconds, the sentence of second 2 damaged: it alone is without a fix.
void ExpectOnlySecondTwoMissing(const CMapTrackStore& store, const std::string& how) {
    ASSERT_EQ(store.size(), 6u) << how;
    for (int s = 0; s < 6; ++s) {
        const auto at = static_cast<size_t>(s);
        if (s == 2) {
            EXPECT_NE(store.m_fixStatus[at], 'A') << how;
        } else {
            EXPECT_EQ(store.m_fixStatus[at], 'A') << how << ", second " << s;
            EXPECT_DOUBLE_EQ(store.m_latitudes[at], 59 + s / 60.0) << how << ", second " << s;
        }
    }
}

TEST_F(MapTrackStore, DamagedSentenceLeavesOnlyItsOwnSecondWithoutFix) {
    const std::string whole = RmcOfSecond(2);
    std::string wrongSum = whole;
    wrongSum.back() = wrongSum.back() == '0' ? '1' : '0';
    const std::map<std::string, std::string> damaged{
        {"wrong checksum", wrongSum},
        {"one checksum digit", whole.substr(0, whole.size() - 1)},
        {"bare star", whole.substr(0, whole.size() - 2)},
        {"cut mid-line", whole.substr(0, whole.find(",E,") - 3)},
    };
    for (const auto& [how, sentence] : damaged) {
        std::string log;
        for (int s = 0; s < 6; ++s) {
            log += (s == 2 ? sentence : RmcOfSecond(s)) + "\r\n";
        }
        EXPECT_TRUE(store.LoadNmeaLog(WriteLog(log))) << how;
        ExpectOnlySecondTwoMissing(store, how);
    }
}

TEST_F(MapTrackStore, MissingOrRepeatedSentencesMoveNoOtherSecond) {
    std::string log;
    for (int s : {0, 1, 3, 4, 5}) {
        log += RmcOfSecond(s) + "\r\n";
    }
    EXPECT_TRUE(store.LoadNmeaLog(WriteLog(log)));
    ExpectOnlySecondTwoMissing(store, "missing");

    // A repeat of second 1 with another position, and half-second fixes: the first valid
    // fix of a second stands.
    log = RmcOfSecond(0) + "\r\n" + RmcOfSecond(1) + "\r\n" + RmcOfSecond(7, Clock(1)) + "\r\n" +
          RmcOfSecond(8, "120001.50") + "\r\n" + RmcOfSecond(3) + "\r\n" +
          RmcOfSecond(4, "120004.50") + "\r\n" + RmcOfSecond(5) + "\r\n";
    EXPECT_TRUE(store.LoadNmeaLog(WriteLog(log)));
    ExpectOnlySecondTwoMissing(store, "repeated");
}

TEST_F(MapTrackStore, GgaAndRmcEachSecondMoveOneSecondPerSecond) {
    // The log starts with a GGA of 11:59:59 whose RMC is missing: the first RMC is second 1.
    std::string log = GgaAt("115959.00") + "\r\n";
    for (int s = 0; s < 3; ++s) {
        log += GgaAt(Clock(s)) + "\r\n" + RmcOfSecond(s) + "\r\n";
    }
    EXPECT_TRUE(store.LoadNmeaLog(WriteLog(log)));
    ASSERT_EQ(store.size(), 4u);
    EXPECT_EQ(store.m_fixStatus[0], 'V');
    for (int s = 0; s < 3; ++s) {
        EXPECT_DOUBLE_EQ(store.m_latitudes[static_cast<size_t>(s) + 1], 59 + s / 60.0);
    }
}

TEST_F(MapTrackStore, NmeaLogCountsOnAcrossMidnight) {
    const std::string log = RmcOfSecond(0, "235958.00") + "\r\n" + RmcOfSecond(1, "235959.00") +
                            "\r\n" + RmcOfSecond(2, "000000.00") + "\r\n" +
                            RmcOfSecond(3, "000001.00") + "\r\n";
    EXPECT_TRUE(store.LoadNmeaLog(WriteLog(log)));
    ASSERT_EQ(store.size(), 4u);
    EXPECT_DOUBLE_EQ(store.m_latitudes[3], 59 + 3 / 60.0);
}

TEST_F(MapTrackStore, ClockFarBehindTheStartIsNotTaken) {
    // 06:00 and 11:59:59 after a 12:00 start: the store must not reach a day's length.
    const std::string log = RmcOfSecond(0) + "\r\n" + RmcOfSecond(1, "060000.00") + "\r\n" +
                            RmcOfSecond(2, "115959.00") + "\r\n" + RmcOfSecond(1) + "\r\n";
    EXPECT_TRUE(store.LoadNmeaLog(WriteLog(log)));
    ASSERT_EQ(store.size(), 2u);
    EXPECT_DOUBLE_EQ(store.m_latitudes[1], 59 + 1 / 60.0);
}

TEST_F(MapTrackStore, ColdStartClockGivesWayToTheFirstFix) {
    // A receiver's no-fix sentences on a default or stale clock, then its fixes on the true
    // time (12:00:00 onwards, 7 December 2026): the fixes follow the no-fix cycles.
    const auto noFix = [](const std::string& time, const std::string& date) {
        return Sentence("GPRMC," + time + ",V,,,,,,," + date + ",,,N") + "\r\n";
    };
    const struct {
        std::string start; // the no-fix sentences
        int fixesFrom;     // by hand: one second per no-fix cycle before the first fix
        int64_t firstUtc;  // the first entry's own date and time
    } cases[] = {
        // 1980-01-05T00:00:05Z = 315878400 (1980-01-05) + 5
        {noFix("000005.00", "050180") + noFix("000006.00", "050180") + noFix("000007.00", "050180"),
         3, 315878405},
        // Six hours ahead, then back; 1980-01-01T18:00:00Z = 315532800 + 18 h.
        {noFix("180000.00", "010180") + noFix("180001.00", "010180"), 2, 315532800 + 64800},
        // Three hours behind; 2026-12-07T09:00:00Z = 1796644800 - 3 h.
        {noFix("090000.00", "071226") + noFix("090001.00", "071226") + noFix("090002.00", "071226"),
         3, 1796634000},
    };
    for (const auto& c : cases) {
        std::string log = c.start;
        for (int s = 0; s < 4; ++s) {
            log += RmcOfSecond(s) + "\r\n";
        }
        EXPECT_TRUE(store.LoadNmeaLog(WriteLog(log)));
        ASSERT_EQ(store.size(), static_cast<size_t>(c.fixesFrom + 4)) << c.start;
        EXPECT_EQ(store.m_utcTimes[0], c.firstUtc);
        for (int s = 0; s < c.fixesFrom + 4; ++s) {
            const auto at = static_cast<size_t>(s);
            EXPECT_EQ(store.m_fixStatus[at], s < c.fixesFrom ? 'V' : 'A') << s;
            if (s >= c.fixesFrom) {
                EXPECT_DOUBLE_EQ(store.m_latitudes[at], 59 + (s - c.fixesFrom) / 60.0);
            }
        }
    }
}

TEST_F(MapTrackStore, NmeaLogIsReadInAnyEncodingWithAByteOrderMark) {
    std::string ascii;
    for (int s = 0; s < 3; ++s) {
        ascii += RmcOfSecond(s) + "\r\n";
    }
    const auto utf16 = [&](bool little) {
        std::string bytes = little ? "\xFF\xFE" : "\xFE\xFF";
        for (char c : ascii) {
            bytes += little ? std::string{c, '\0'} : std::string{'\0', c};
        }
        return bytes;
    };
    const std::map<std::string, std::string> encodings{
        {"UTF-16 LE", utf16(true)},
        {"UTF-16 BE", utf16(false)},
        {"UTF-16 LE, last byte torn", utf16(true) + "\x24"},
    };
    for (const auto& [how, bytes] : encodings) {
        EXPECT_TRUE(store.LoadNmeaLog(WriteLog(bytes))) << how;
        ASSERT_EQ(store.size(), 3u) << how;
        EXPECT_DOUBLE_EQ(store.m_latitudes[2], 59 + 2 / 60.0) << how;
    }
}

TEST_F(MapTrackStore, BlanksAroundFieldsAreNotPartOfTheirValues) {
    // 59 deg 30' N is 59.5; 18 deg 30' W is -18.5; 2 knots is 3.704 km/h.
    const std::string padded[] = {
        "GPRMC, 120001.00,A , 5930.0000, N,01830.0000 ,W ,2.0 ,0.0, 071226,,,A",
        "GPRMC,120001.00 , A,5930.0000 ,N , 01830.0000, W, 2.0,0.0,071226 ,,,A",
    };
    for (const std::string& body : padded) {
        const std::string log = RmcOfSecond(0) + "\r\n" + Sentence(body) + "\r\n";
        EXPECT_TRUE(store.LoadNmeaLog(WriteLog(log)));
        ASSERT_EQ(store.size(), 2u) << body;
        EXPECT_TRUE(store.HasPosition(1)) << body;
        EXPECT_DOUBLE_EQ(store.m_latitudes[1], 59.5) << body;
        EXPECT_DOUBLE_EQ(store.m_longitudes[1], -18.5) << body;
        EXPECT_EQ(store.m_utcTimes[1], 1796644801); // 2026-12-07T12:00:01Z
        EXPECT_EQ(dial.Find(1)->speed, 3) << body;
    }
}

TEST_F(MapTrackStore, SidecarGivesTheSameSecondsToBothReaders) {
    // An X line, an empty line and a '$' line: seconds 0 and 2 by the lines' order and by
    // the sentences' times alike.
    const auto folder = std::filesystem::temp_directory_path();
    const std::string stem = "ostvik-both-" + std::to_string(::getpid());
    const std::string log =
        WriteLog("X:0.5 Y:0 Z:1 G:0 " + RmcOfSecond(0) + "\r\n\r\n" + RmcOfSecond(2) + "\r\n");
    std::filesystem::rename(log, folder / (stem + ".TXT"));
    written = folder / (stem + ".TXT");
    ASSERT_TRUE(store.LoadNmeaLog(written.string()));

    CMapTrackStore fromLines;
    SetTrackLineConsumers({}, [&](const char* line) { return fromLines.StoreTrackLine(line); });
    EXPECT_EQ(ReadSidecarLog((folder / (stem + ".MOV")).string()), 2);
    SetTrackLineConsumers({}, {});

    ASSERT_EQ(store.size(), 3u);
    ASSERT_EQ(fromLines.size(), 3u);
    EXPECT_EQ(store.m_fixStatus[1], 'V');
    EXPECT_EQ(fromLines.m_fixStatus[1], 'V');
    for (size_t s : {0u, 2u}) {
        EXPECT_EQ(store.m_fixStatus[s], 'A');
        EXPECT_EQ(fromLines.m_fixStatus[s], 'A');
        EXPECT_DOUBLE_EQ(store.m_latitudes[s], 59 + static_cast<double>(s) / 60);
        EXPECT_DOUBLE_EQ(fromLines.m_latitudes[s], store.m_latitudes[s]);
        EXPECT_EQ(fromLines.m_utcTimes[s], store.m_utcTimes[s]);
    }
}

TEST_F(MapTrackStore, TrackLineEntryKeepsTheRmcDateAndTime) {
    store.StoreTrackLine(("T:3000 X:0 Y:0 Z:0 G:0 " + Rmc("5930.0", 'N', "01800.0", 'E')).c_str());
    const std::string undated = Sentence("GPRMC,120001.00,A,5930.0,N,01800.0,E,0,0,,,");
    store.StoreTrackLine(("T:4000 X:0 Y:0 Z:0 G:0 " + undated).c_str());
    ASSERT_EQ(store.m_utcTimes.size(), 5u);
    EXPECT_EQ(store.m_utcTimes[0], kUnknownUtc); // a filled gap
    EXPECT_EQ(store.m_utcTimes[3], 1796644800);  // 2026-12-07T12:00:00Z, by date(1)
    EXPECT_EQ(store.m_utcTimes[4], kUnknownUtc);
}

TEST_F(MapTrackStore, NmeaLogWithoutFixOrFile) {
    EXPECT_FALSE(
        store.LoadNmeaLog(WriteLog(Rmc("5930.0", 'N', "01800.0", 'E', "0", "0", 'V') + "\r\n")));
    EXPECT_EQ(store.size(), 1u);
    EXPECT_FALSE(store.LoadNmeaLog("/nonexistent/ostvik/log.TXT"));
    EXPECT_EQ(store.size(), 0u);
    // A sentence whose line never ends is not taken.
    EXPECT_FALSE(store.LoadNmeaLog(WriteLog("$GPRMC,120000,A,5930.0,N,01800.0,E,0,0,071226,,")));
    EXPECT_EQ(store.size(), 0u);
}

} // namespace
