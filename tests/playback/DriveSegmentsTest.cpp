// The drive's timeline and the clips on it, and the address that joins them.
#include "playback/DriveSegments.h"

#include <gtest/gtest.h>

TEST(DriveSegments, ClipsFollowOneAnotherAndAnInstantBetweenTwoIsTheLaterOnes) {
    DriveSegments drive;
    drive.Set({0, 60, 120.5}, 180);
    ASSERT_EQ(drive.Count(), 3);
    EXPECT_EQ(drive.ClipAt(0), 0);
    EXPECT_EQ(drive.ClipAt(59.999), 0);
    EXPECT_EQ(drive.ClipAt(60), 1);
    EXPECT_EQ(drive.ClipAt(120.49), 1);
    EXPECT_EQ(drive.ClipAt(179), 2);
    EXPECT_EQ(drive.ClipAt(-1), 0);
    EXPECT_EQ(drive.ClipAt(500), 2);
    EXPECT_DOUBLE_EQ(drive.Length(0), 60);
    EXPECT_DOUBLE_EQ(drive.Length(1), 60.5); // 120.5 - 60
    EXPECT_DOUBLE_EQ(drive.Length(2), 59.5); // 180 - 120.5
    EXPECT_DOUBLE_EQ(drive.Start(2), 120.5);
    EXPECT_EQ(drive.Length(3), 0);
    EXPECT_EQ(drive.Start(-1), 0);
}

TEST(DriveSegments, BoundariesThatCannotBeADrivesLeaveNone) {
    DriveSegments drive;
    drive.Set({0, 60}, 120);
    drive.Set({}, 10);
    EXPECT_TRUE(drive.Empty());
    drive.Set({1, 2}, 10); // not from the start
    EXPECT_TRUE(drive.Empty());
    drive.Set({0, 5, 5}, 10); // a clip of no length
    EXPECT_TRUE(drive.Empty());
    drive.Set({0, 7, 5}, 10); // backwards
    EXPECT_TRUE(drive.Empty());
    drive.Set({0, 5}, 5); // the last clip of no length
    EXPECT_TRUE(drive.Empty());
    EXPECT_EQ(drive.ClipAt(3), 0);
}

TEST(DriveSegments, TheAddressKeepsEveryPathWholeAndCutsToTheLengthsGiven) {
    // "/a,b;c.MP4" is 10 bytes and "/d%.MP4" 7: counted, commas, semicolons and percent
    // signs inside them cannot end them.
    EXPECT_EQ(DriveTimelineAddress({"/a,b;c.MP4", "/d%.MP4"}), "edl://%10%/a,b;c.MP4;%7%/d%.MP4");
    EXPECT_EQ(DriveTimelineAddress({"/r1.MP4", "/r2.MP4"}, {60, 59.5}),
              "edl://%7%/r1.MP4,length=60.000000;%7%/r2.MP4,length=59.500000");
    // "/ö.MP4" is 6 characters but 7 bytes.
    EXPECT_EQ(DriveTimelineAddress({"/\xc3\xb6.MP4"}), "edl://%7%/\xc3\xb6.MP4");
}
