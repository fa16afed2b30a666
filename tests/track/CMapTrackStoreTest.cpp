#include "track/CMapTrackStore.h"
#include "track/CSpeedDialModel.h"

#include "NmeaText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>

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

TEST_F(MapTrackStore, NmeaLogGivesOneEntryPerRmc) {
    std::string log;
    for (int s = 0; s < 60; ++s) {
        char minutes[16];
        std::snprintf(minutes, sizeof minutes, "59%02d.0000", s);
        log += Rmc(minutes, 'N', "01800.0000", 'E') + "\r\n";
    }
    store.PutEntry(99, 1, 1, 'A');
    store.m_nLastShown = 99;
    EXPECT_TRUE(store.LoadNmeaLog(WriteLog(log)));
    ASSERT_EQ(store.size(), 60u);
    EXPECT_EQ(store.m_nLastShown, -1);
    EXPECT_DOUBLE_EQ(store.m_latitudes[59], 59 + 59 / 60.0);
}

TEST_F(MapTrackStore, NmeaLogReadsPastEightKilobytesAndAnyLineEnd) {
    std::string log;
    for (int s = 0; s < 200; ++s) {
        log += Rmc("5930.0000", 'N', "01800.0000", 'E') + (s % 3 == 0 ? "\n" : "\r\n");
    }
    ASSERT_GT(log.size(), 8192u);
    EXPECT_TRUE(store.LoadNmeaLog(WriteLog(log)));
    EXPECT_EQ(store.size(), 200u);
}

TEST_F(MapTrackStore, OtherSentencesDoNotShiftTheSeconds) {
    const std::string gga =
        Sentence("GPGGA,120000.00,5930.0000,N,01800.0000,E,1,08,0.9,10.0,M,,,,");
    std::string log = gga + "\r\n" + Rmc("5930.0000", 'N', "01800.0000", 'E') + "\r\n" + gga +
                      "\r\n" + Rmc("5931.0000", 'N', "01800.0000", 'E') + "\r\n";
    EXPECT_TRUE(store.LoadNmeaLog(WriteLog(log)));
    ASSERT_EQ(store.size(), 2u);
    EXPECT_DOUBLE_EQ(store.m_latitudes[1], 59 + 31 / 60.0);
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
