// The route and heading the page draws beyond the marker, computed from the stores, and the
// drive's whole route.
#include "MapTestSupport.h"

#include "map/DriveRoute.h"
#include "map/MapRoute.h"
#include "track/CMapTrackStore.h"
#include "track/CSpeedDialModel.h"
#include "track/LoadedDrive.h"

#include <gtest/gtest.h>

namespace {

TEST(MapRoute, BearingsOfTheFourQuartersFromTheEquator) {
    EXPECT_NEAR(BearingDegrees(0, 0, 1, 0), 0.0, 1e-9);
    EXPECT_NEAR(BearingDegrees(0, 0, 0, 1), 90.0, 1e-9);
    EXPECT_NEAR(BearingDegrees(1, 0, 0, 0), 180.0, 1e-9);
    EXPECT_NEAR(BearingDegrees(0, 1, 0, 0), 270.0, 1e-9);
    // North-east along the equator's neighbourhood: equal small steps give about 45.
    EXPECT_NEAR(BearingDegrees(0, 0, 0.001, 0.001), 45.0, 0.01);
}

TEST(MapRoute, RouteListsOnlyTheSecondsWithAPosition) {
    CMapTrackStore store;
    store.PutEntry(0, 1.0, 2.0, 'A');
    store.PutEntry(1, 5.0, 6.0, 'V');
    store.PutEntry(3, 3.0, -4.5, 'A');
    store.PutEntry(4, 0.0, 7.0, 'A');
    EXPECT_EQ(RouteJson(store), "[[0,1.000000000,2.000000000],[3,3.000000000,-4.500000000]]");
    EXPECT_EQ(RouteJson(CMapTrackStore()), "[]");
    // A stretch of seconds, its ends included, and one past the store.
    EXPECT_EQ(RouteJson(store, 1, 3), "[[3,3.000000000,-4.500000000]]");
    EXPECT_EQ(RouteJson(store, 0, 0), "[[0,1.000000000,2.000000000]]");
    EXPECT_EQ(RouteJson(store, 4, 99), "[]");
}

TEST(MapRoute, HeadingIsTheRecordedCourseElseTheWayFromTheLastPlace) {
    CMapTrackStore store;
    store.PutEntry(0, 10.0, 20.0, 'A');
    store.PutEntry(1, 10.0, 20.0, 'A'); // standing
    store.PutEntry(2, 10.0, 20.001, 'A');
    CSpeedDialModel dial;
    dial.SetSpeedRecord(2, 50, 77);
    EXPECT_EQ(HeadingAt(store, &dial, 2), 77.0);
    // Due east, from second 0 past the second standing at the same place.
    EXPECT_NEAR(HeadingAt(store, nullptr, 2), 90.0, 0.01);
    EXPECT_EQ(HeadingAt(store, nullptr, 0), 0.0);
    EXPECT_EQ(HeadingAt(store, nullptr, 9), 0.0);
}

// Five clips: the second starts 111 m (a thousandth of a degree of latitude) after the
// first ends, the third has no fix, the fifth starts a degree away from the fourth.
TEST(MapRoute, DriveRouteBandsEachFixByItsSpeedAndBreaksWhereTheLineWouldBeInvented) {
    const auto drive = HandMadeDrive({
        {0, {{0, 10.000, 20.0, 0}, {1, 10.001, 20.0, 29}, {2, 10.002, 20.0, 30}}},
        {5, {{0, 10.003, 20.0, 59}, {1, 10.004, 20.0, 60}, {2, 10.005, 20.0, 119, 'V'}}},
        {10, {{0, 10.006, 20.0, 119, 'V'}}},
        {20, {{1, 10.007, 20.0, 120}, {2, 10.008, 20.0}}},
        {30, {{0, 11.008, 20.0, 300}}},
    });
    struct Expected {
        int driveSecond; // the clip's place plus the fix's second
        int band;        // its speed over 30, at most 4; 5 for no speed
        bool startsRun;
    };
    const Expected expected[] = {{0, 0, true},  {1, 0, false}, {2, 1, false},  {5, 1, false},
                                 {6, 2, false}, {21, 4, true}, {22, 5, false}, {30, 4, true}};
    const DriveRoute route = BuildDriveRoute(*drive);
    ASSERT_EQ(route.size(), std::size(expected));
    for (size_t i = 0; i < route.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(route[i].driveSecond, expected[i].driveSecond);
        EXPECT_EQ(route[i].band, expected[i].band);
        EXPECT_EQ(route[i].startsRun, expected[i].startsRun);
    }
    EXPECT_EQ(DriveRouteJson({route[0], route[7]}),
              R"({"s":[0,30],"la":[10.000000,11.008000],"lo":[20.000000,20.000000],)"
              R"("b":[0,4],"r":[0,1]})");
    // The last fix at or before a second: none before the first, the one before a gap.
    EXPECT_EQ(DriveRouteIndexAt(route, -0.5), -1);
    EXPECT_EQ(DriveRouteIndexAt(route, 6.9), 4);
    EXPECT_EQ(DriveRouteIndexAt(route, 21.0), 5);
    EXPECT_EQ(DriveRouteIndexAt(route, 1e9), 7);
}

} // namespace
