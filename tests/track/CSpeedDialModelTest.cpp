#include "track/CSpeedDialModel.h"

#include <gtest/gtest.h>

namespace {

// The dial's needles as the dial draws them: speed needle at (94, 47), compass at
// (184, 47), both 29 pixels long, the compass 3 pixels wide each side.
DialPoint NeedleTip(const CSpeedDialModel& dial) {
    return SpeedNeedleTip(94, 47, 29, dial.ShownSpeed());
}

CompassPoints Compass(int heading) {
    return CompassAt(184, 47, 29, 3, heading);
}

TEST(SpeedDial, StartsInMilesPerHourWithNeedlesAtRest) {
    CSpeedDialModel dial;
    EXPECT_EQ(dial.SpeedText(), "0mile/h");
    EXPECT_EQ(NeedleTip(dial), (DialPoint{76, 69}));
    // 28 pixels above the centre, not 29: the short pi and the truncation both count.
    EXPECT_EQ(Compass(0).tip, (DialPoint{184, 19}));
}

TEST(SpeedDial, CompassPointsForCardinalAndDiagonalHeadings) {
    const CompassPoints east = Compass(90);
    EXPECT_EQ(east.tip, (DialPoint{213, 47}));
    EXPECT_EQ(east.tail, (DialPoint{155, 47}));
    EXPECT_EQ(east.right, (DialPoint{184, 49}));
    EXPECT_EQ(east.left, (DialPoint{184, 45}));

    const CompassPoints northEast = Compass(45);
    EXPECT_EQ(northEast.tip, (DialPoint{204, 27}));
    EXPECT_EQ(northEast.tail, (DialPoint{164, 67}));
}

TEST(SpeedDial, KilometresShowTheStoredSpeed) {
    CSpeedDialModel dial;
    dial.m_bKmh = 1;
    dial.SetSpeedRecord(0, 230, 0);
    ASSERT_TRUE(dial.ShowSpeedAt(0));
    EXPECT_EQ(dial.SpeedText(), "230Km/h");
    EXPECT_EQ(NeedleTip(dial), (DialPoint{123, 47}));
}

TEST(SpeedDial, MilesAreTruncatedAndTurnTheNeedleByTheSameNumber) {
    CSpeedDialModel dial;
    dial.SetSpeedRecord(3, 100, 10);
    ASSERT_TRUE(dial.ShowSpeedAt(3));
    EXPECT_EQ(dial.SpeedText(), "62mile/h");
    // 62 mile/h puts the needle at 230 - 62 = 168 degrees: 29 cos 168 = -28.37 and
    // 29 sin 168 = 6.03, truncated to -28 and 6, from the centre (94, 47).
    EXPECT_EQ(NeedleTip(dial), (DialPoint{66, 41}));
}

TEST(SpeedDial, RecordsAreClampedAsStored) {
    CSpeedDialModel dial;
    dial.SetSpeedRecord(0, 1000, 360);
    dial.SetSpeedRecord(1, -5, -1);
    dial.SetSpeedRecord(2, 999, 359);
    EXPECT_EQ(dial.Find(0)->speed, 0);
    EXPECT_EQ(dial.Find(0)->heading, 359);
    EXPECT_EQ(dial.Find(1)->speed, 0);
    EXPECT_EQ(dial.Find(1)->heading, 0);
    EXPECT_EQ(dial.Find(2)->speed, 999);
    EXPECT_EQ(dial.Find(2)->heading, 359);
}

TEST(SpeedDial, LaterRecordForASecondWins) {
    CSpeedDialModel dial;
    dial.SetSpeedRecord(5, 40, 90);
    dial.SetSpeedRecord(5, 50, 180);
    ASSERT_NE(dial.Find(5), nullptr);
    EXPECT_EQ(dial.Find(5)->speed, 50);
    EXPECT_EQ(dial.Find(5)->heading, 180);
}

TEST(SpeedDial, MissingSecondKeepsWhatIsShown) {
    CSpeedDialModel dial;
    dial.SetSpeedRecord(1, 80, 270);
    ASSERT_TRUE(dial.ShowSpeedAt(1));
    EXPECT_FALSE(dial.ShowSpeedAt(2));
    EXPECT_EQ(dial.m_nSpeed, 80);
    EXPECT_EQ(dial.m_nHeading, 270);

    dial.ClearSpeedRecords();
    EXPECT_FALSE(dial.ShowSpeedAt(1));
    EXPECT_EQ(dial.m_nSpeed, 80); // clearing the store does not move the needles
}

} // namespace
