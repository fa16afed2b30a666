#include "playback/VideoPaneRules.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(VideoPaneRules, TimeTextAndRangeOfAClip) {
    EXPECT_EQ(TimeText(3723), "01:02:03");
    EXPECT_EQ(Milliseconds(3723.9), 3723900);
    EXPECT_EQ(TimeText(0), "00:00:00");
    EXPECT_EQ(TimeText(359999), "99:59:59");
    EXPECT_EQ(TimeText(360000), "100:00:00");
}

// Tenths are cut, never rounded up: 7.46 s still shows the frame before 7.5 s.
TEST(VideoPaneRules, PausedTimeTextShowsTenths) {
    EXPECT_EQ(TenthsTimeText(7.46), "00:00:07.4");
    EXPECT_EQ(TenthsTimeText(0), "00:00:00.0");
    EXPECT_EQ(TenthsTimeText(3723.99), "01:02:03.9");
    EXPECT_EQ(TenthsTimeText(-1), "00:00:00.0");
}

TEST(VideoPaneRules, RangesOfVeryLongClipsStopAtTheLargestInt) {
    // The largest int, 2147483647 ms, is 596 h 31 min 23.647 s.
    EXPECT_EQ(Milliseconds(2147483.5), 2147483500);
    EXPECT_EQ(Milliseconds(2147484.0), 2147483647);
    EXPECT_EQ(Milliseconds(600 * 3600.0), 2147483647);
    EXPECT_EQ(Milliseconds(1e300), 2147483647);
    EXPECT_EQ(Milliseconds(-0.5), 0);
    EXPECT_EQ(Milliseconds(std::nan("")), 0);
}

TEST(VideoPaneRules, AddressKindIsCaseSensitive) {
    EXPECT_EQ(AddressKind("http://camera/live"), 1);
    EXPECT_EQ(AddressKind("HTTP://camera/live"), 0);
    EXPECT_EQ(AddressKind("rtsp://camera/live"), 2);
    EXPECT_EQ(AddressKind("/media/cam/VIDEO/CLIP0001.MP4"), 0);
    EXPECT_EQ(AddressKind("http:/"), 0);
}

TEST(VideoPaneRules, SpeedTable) {
    const float expected[] = {0.125f, 0.25f, 0.5f, 1.0f, 2.0f, 4.0f, 8.0f};
    for (int position = 0; position <= 6; ++position) {
        EXPECT_EQ(SpeedFactor(position), expected[position]);
    }
    EXPECT_EQ(SpeedFactor(-1), 1.0f);
    EXPECT_EQ(SpeedFactor(7), 1.0f);
}

TEST(VideoPaneRules, VideoWindowKeepsTheClipShapeInTheBox) {
    EXPECT_EQ(VideoWindowRect(808, 572, 640, 480), QRect(47, 2, 666, 500));
    EXPECT_EQ(VideoWindowRect(808, 772, 640, 480), QRect(3, 35, 800, 600));
    EXPECT_EQ(VideoWindowRect(808, 572, 0, 480), QRect(3, 2, 800, 500));
    EXPECT_EQ(VideoWindowRect(808, 572, 640, 0), QRect(3, 2, 800, 500));
}

TEST(VideoPaneRules, SpareRoomOfOneOrTwoRowsGivesNoMargin) {
    // Box 800 x 500; a clip of 800 x 501 needs one row more than the box has.
    const QRect rect = VideoWindowRect(808, 572, 800, 501);
    EXPECT_EQ(rect.top(), 2);
    EXPECT_EQ(rect.height(), 501);
    EXPECT_EQ(VideoWindowRect(808, 572, 800, 502).height(), 502);
    EXPECT_EQ(VideoWindowRect(808, 572, 800, 503).height(), 500); // now narrower instead
}

// The boundary itself is driven through the pane's OpenClip; here only what the pane's test
// cannot reach, the tick count wrapping after 49 days.
TEST(VideoPaneRules, TheOpenGateCountsAcrossTheClockWrapping) {
    COpenGate gate;
    ASSERT_TRUE(gate.Accept(0xFFFFFF00u));
    EXPECT_FALSE(gate.Accept(0x100u));
    EXPECT_TRUE(gate.Accept(0x3E8u + 0x100u));
}

} // namespace
