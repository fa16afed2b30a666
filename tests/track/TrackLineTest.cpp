#include "track/TrackLine.h"

#include <gtest/gtest.h>

namespace {

TEST(TrackLine, SecondIsTheTimeTruncated) {
    EXPECT_EQ(TrackLineSecond("T:0 X:0"), 0);
    EXPECT_EQ(TrackLineSecond("T:4999 X:1"), 4);
    EXPECT_EQ(TrackLineSecond("T:5000"), 5);
    EXPECT_EQ(TrackLineSecond("T:+2000 X:1"), 2);
}

TEST(TrackLine, NegativeTimesFallOnSecondZero) {
    EXPECT_EQ(TrackLineTime("T:-1500 X:0"), -1500);
    EXPECT_EQ(TrackLineSecond("T:-1500 X:0"), 0);
}

TEST(TrackLine, LineWithoutTimeFieldHasNoSecond) {
    EXPECT_FALSE(TrackLineSecond(nullptr));
    EXPECT_FALSE(TrackLineSecond(""));
    EXPECT_FALSE(TrackLineSecond("X:1.0 Y:2.0"));
    EXPECT_FALSE(TrackLineSecond("T: 1000"));
    EXPECT_FALSE(TrackLineSecond("T:-"));
    EXPECT_FALSE(TrackLineSecond("t:1000"));
    EXPECT_FALSE(TrackLineSecond("T:99999999999999999999999"));
}

TEST(TrackLine, BuiltLinesKeepTheSourceUnchanged) {
    EXPECT_EQ(SensorTrackLine(2000, "X:0.1 Y:0.2 Z:0.3 G:0.0 $GPRMC,1*00"),
              "T:2000 X:0.1 Y:0.2 Z:0.3 G:0.0 $GPRMC,1*00");
    EXPECT_EQ(SentenceTrackLine(3000, "$GPRMC,a,b*7F"),
              "T:3000 X:0.000000 Y:0.000000 Z:0.000000 G:0.000000 $GPRMC,a,b*7F");
    EXPECT_EQ(EmbeddedTrackLine(1000, -1.0, 0.5, 0.015625),
              "T:1000 X:-1.00000 Y:0.50000 Z:0.01562 G:0.00000");
}

} // namespace
