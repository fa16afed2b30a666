#include "track/UtcTime.h"
#include "track/EmbeddedTrack.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Expected seconds from `date -u -d <time> +%s`.
TEST(UtcTime, CalendarDatesGiveTheirEpochSeconds) {
    EXPECT_EQ(UtcSeconds(2000, 2, 29, 0, 0, 0), 951782400);
    EXPECT_EQ(UtcSeconds(1999, 12, 31, 23, 59, 59), 946684799);
    EXPECT_EQ(UtcSeconds(2024, 6, 1, 12, 0, 0), 1717243200);
    EXPECT_EQ(UtcText(951782400), "2000-02-29T00:00:00Z");
    EXPECT_EQ(UtcText(946684799), "1999-12-31T23:59:59Z");
}

TEST(UtcTime, ImpossibleDatesAndTimesGiveNothing) {
    EXPECT_FALSE(UtcSeconds(2100, 2, 29, 0, 0, 0)); // a century year, not a leap year
    EXPECT_FALSE(UtcSeconds(2024, 4, 31, 0, 0, 0));
    EXPECT_FALSE(UtcSeconds(2024, 13, 1, 0, 0, 0));
    EXPECT_FALSE(UtcSeconds(2024, 0, 1, 0, 0, 0));
    EXPECT_FALSE(UtcSeconds(2024, 1, 0, 0, 0, 0));
    EXPECT_FALSE(UtcSeconds(2024, 1, 1, 24, 0, 0));
    EXPECT_FALSE(UtcSeconds(2024, 1, 1, 0, 60, 0));
    EXPECT_FALSE(UtcSeconds(2024, 1, 1, 0, 0, 60));
    EXPECT_FALSE(UtcSeconds(-1, 1, 1, 0, 0, 0));
}

TEST(UtcTime, BlockWithoutClockHasNoTime) {
    std::vector<unsigned char> block(kFreeGpsBlockLength, 0);
    EXPECT_EQ(DecodeFreeGpsBlock(block.data(), 0).utcTime, kUnknownUtc);
    // 2024-06-01 12:00:03: time of day at +44, +48, +52, date (year - 2000) at +84.
    for (auto [at, value] : {std::pair{44, 12}, {52, 3}, {84, 24}, {88, 6}, {92, 1}}) {
        block[static_cast<size_t>(at)] = static_cast<unsigned char>(value);
    }
    EXPECT_EQ(DecodeFreeGpsBlock(block.data(), 0).utcTime, 1717243200 + 3);
    block[87] = 0xff; // a year far beyond any clock
    EXPECT_EQ(DecodeFreeGpsBlock(block.data(), 0).utcTime, kUnknownUtc);
}

} // namespace
