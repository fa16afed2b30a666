// The route and heading the page draws beyond the marker, computed from the stores.
#include "map/MapRoute.h"
#include "track/CMapTrackStore.h"
#include "track/CSpeedDialModel.h"

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

} // namespace
