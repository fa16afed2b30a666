// Layout rules: each edge a fraction of the parent plus pixels.
#include "skin/SkinRule.h"

#include <gtest/gtest.h>

namespace {

TEST(SkinRule, EdgesAreFractionsOfTheParentPlusPixels) {
    // Left 0.66 * 1000 = 660, top 32, right 1000 - 4 = 996, bottom 0.55 * 600 = 330.
    const SkinRule map{{0.66, 0}, {0.0, 32}, {1.0, -4}, {0.55, 0}, false};
    EXPECT_EQ(map.Place({1000, 600}), QRect(660, 32, 336, 298));
    // At 4K logical size the same pane keeps its share: 0.66 * 3840 = 2534.4 -> 2534,
    // 0.55 * 2160 = 1188.
    EXPECT_EQ(map.Place({3840, 2160}), QRect(2534, 32, 3836 - 2534, 1188 - 32));
    // 0.29 * 100 is 28.999... in binary; the edge still lands on 29.
    const SkinRule third{{0.29, 0}, {0.0, 0}, {1.0, 0}, {1.0, 0}, false};
    EXPECT_EQ(third.Place({100, 10}).left(), 29);
}

TEST(SkinRule, PanesSharingAnEdgeMeetWithoutGapOrOverlap) {
    const SkinRule left{{0.0, 0}, {0.0, 0}, {0.52, 0}, {1.0, 0}, false};
    const SkinRule right{{0.52, 0}, {0.0, 0}, {1.0, 0}, {1.0, 0}, false};
    for (int width : {799, 800, 1366, 1367, 3840}) {
        EXPECT_EQ(left.Place({width, 500}).right() + 1, right.Place({width, 500}).left()) << width;
    }
}

TEST(SkinRule, ATooSmallParentGivesAnEmptyRectangleNotAnInvertedOne) {
    // Right edge 1 * 50 - 180 = -130 lies left of the left edge at 50 - 10 = 40.
    const SkinRule speed{{1.0, -10}, {1.0, -44}, {1.0, -180}, {1.0, -26}, false};
    const QRect placed = speed.Place({50, 30});
    EXPECT_EQ(placed.width(), 0);
    EXPECT_EQ(placed.left(), 40);
}

} // namespace
