// Track lines out of the text of one data-stream cue.
#include "playback/DataCueLines.h"

#include <gtest/gtest.h>

namespace {

using Lines = std::vector<std::string>;

TEST(DataCueLines, ATrackLineIsPassedUnchanged) {
    EXPECT_EQ(TrackLinesFromCue("T:3000 X:0.1 Y:0 Z:1 G:0 $GPRMC,1*00", 3.0),
              Lines{"T:3000 X:0.1 Y:0 Z:1 G:0 $GPRMC,1*00"});
}

TEST(DataCueLines, EveryLineOfACueCountsAndLineEndsAreDropped) {
    EXPECT_EQ(TrackLinesFromCue("T:1 a\r\nT:2 b\n\nT:3 c\n", 0),
              (Lines{"T:1 a", "T:2 b", "T:3 c"}));
}

TEST(DataCueLines, ASentenceGetsTheCuesTimeAndNoSensorFields) {
    EXPECT_EQ(TrackLinesFromCue("$GPRMC,x*11", 2.9999999), Lines{"T:3000 $GPRMC,x*11"});
    EXPECT_EQ(TrackLinesFromCue("$GPGGA,y*22", -0.5), Lines{"T:0 $GPGGA,y*22"});
}

TEST(DataCueLines, OtherTextGivesNoLines) {
    EXPECT_TRUE(TrackLinesFromCue("Hello\nt:1000 lower case\n X:1 indented", 1).empty());
    EXPECT_TRUE(TrackLinesFromCue("", 1).empty());
}

} // namespace
