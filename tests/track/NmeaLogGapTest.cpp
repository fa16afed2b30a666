// A receiver that falls silent while the camera records, and one whose clock is set: logs
// built by hand, the seconds they belong at counted by hand.
#include "track/CMapTrackStore.h"

#include "NmeaText.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// `date -u -d 2024-06-01T00:00:00Z +%s`
constexpr int64_t kJune2024 = 1717200000;

// "hhmmss.00" of 16:50:ss.
std::string At1650(int seconds) {
    return "1650" + std::to_string(seconds / 10) + std::to_string(seconds % 10) + ".00";
}

std::string NoFix(const std::string& time, const std::string& date) {
    return Sentence("GPRMC," + time + ",V,,,,,,," + date + ",,,N") + "\r\n";
}

std::string Fix(const std::string& time, const std::string& date = "010624") {
    return Sentence("GPRMC," + time + ",A,5930.0000,N,01800.0000,E,0.0,0.0," + date + ",,,A") +
           "\r\n";
}

// The bound the loader sets for a clip of 43 s: its length and the 5 s a track may run past.
constexpr int kClip43LastSecond = 43 + 5;

TEST(NmeaLogGap, FixAfterASilenceKeepsItsOwnSecond) {
    // No fix from 16:50:07 (second 0) to 16:50:14 (second 7), nothing for 29 s, then fixes
    // from 16:50:44: 44 - 7 = second 37 onwards.
    std::string log;
    for (int s = 7; s <= 14; ++s) {
        log += NoFix(At1650(s), "010624");
    }
    for (int s = 44; s <= 49; ++s) {
        log += Fix(At1650(s));
    }
    CMapTrackStore store;
    store.SetLastSecond(kClip43LastSecond);
    EXPECT_TRUE(store.LoadNmeaText(log));
    ASSERT_EQ(store.size(), 43u);
    for (int s = 0; s < 37; ++s) {
        EXPECT_FALSE(store.HasPosition(s)) << s;
    }
    for (int s = 37; s < 43; ++s) {
        EXPECT_TRUE(store.HasPosition(s)) << s;
    }
    // 16:50:44 is 16 * 3600 + 50 * 60 + 44 = 60644 s into the day.
    EXPECT_EQ(store.m_utcTimes[37], kJune2024 + 60644);
}

TEST(NmeaLogGap, ClockSetFromAnotherYearGivesWayToTheFirstFix) {
    // No fix on 2000-01-01 at 16:50:10..12 (seconds 0..2), then fixes on 2024-06-01: the
    // time of day moves 3 s or 20 s, the date 24 years, so the first fix takes second 3.
    for (const int firstFix : {15, 32}) {
        std::string log;
        for (int s = 10; s <= 12; ++s) {
            log += NoFix(At1650(s), "010100");
        }
        for (int s = firstFix; s < firstFix + 3; ++s) {
            log += Fix(At1650(s));
        }
        CMapTrackStore store;
        store.SetLastSecond(kClip43LastSecond);
        EXPECT_TRUE(store.LoadNmeaText(log));
        ASSERT_EQ(store.size(), 6u) << firstFix;
        EXPECT_FALSE(store.HasPosition(2));
        EXPECT_TRUE(store.HasPosition(3));
        EXPECT_EQ(store.m_utcTimes[3], kJune2024 + 60600 + firstFix);
    }
}

TEST(NmeaLogGap, ClipOfUnknownLengthTakesUpToAMinuteOfSilence) {
    const std::string noFix =
        NoFix("120000.00", "010624") + NoFix("120001.00", "010624") + NoFix("120002.00", "010624");
    CMapTrackStore store;
    // 12:00:02 to 12:00:50 is 48 s of silence: the fix keeps second 50.
    EXPECT_TRUE(store.LoadNmeaText(noFix + Fix("120050.00")));
    ASSERT_EQ(store.size(), 51u);
    EXPECT_TRUE(store.HasPosition(50));
    // 12:00:02 to 12:01:10 is 68 s: the clock was set, the fix follows at second 3.
    EXPECT_TRUE(store.LoadNmeaText(noFix + Fix("120110.00")));
    ASSERT_EQ(store.size(), 4u);
    EXPECT_TRUE(store.HasPosition(3));
}

} // namespace
