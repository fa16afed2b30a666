// Where each camera's picture sits in the composed picture, and how the mouse moves them.
#include "playback/ChannelLayout.h"

#include <gtest/gtest.h>

namespace {

using Cells = std::vector<PictureRect>;

// Worked by hand for a 320 x 240 clip: the margin is 320 / 40 = 8; a small picture at the
// default share is 0.3 x 320 = 96 wide and 96 x 240 / 320 = 72 high; the group sits in the
// bottom-right corner, 8 in from the edges: x = 320 - 8 - 96 = 216, y = 240 - 8 - height.
TEST(ChannelLayout, CellsOfEachArrangement) {
    const ChannelView pip;
    ChannelView swapped;
    swapped.big = 1;
    ChannelView sideBySide;
    sideBySide.arrangement = ChannelArrangement::SideBySide;
    ChannelView topLeftLarge;
    topLeftLarge.groupX = 0;
    topLeftLarge.groupY = 0;
    topLeftLarge.smallShare = 0.9; // held at half the picture: 160 x 120
    const struct {
        const char* what;
        ChannelView view;
        int count;
        int width, height;
        Cells cells;
        std::vector<int> order;
    } cases[] = {
        {"a clip alone", pip, 1, 320, 240, {{0, 0, 320, 240}}, {0}},
        {"rear in the corner", pip, 2, 320, 240, {{0, 0, 320, 240}, {216, 160, 96, 72}}, {0, 1}},
        // Two small ones stacked 8 apart: the group is 72 + 8 + 72 = 152 high, from y 80.
        {"rear and interior stacked",
         pip,
         3,
         320,
         240,
         {{0, 0, 320, 240}, {216, 80, 96, 72}, {216, 160, 96, 72}},
         {0, 1, 2}},
        {"rear made big", swapped, 2, 320, 240, {{216, 160, 96, 72}, {0, 0, 320, 240}}, {1, 0}},
        {"moved to the top left, as large as allowed",
         topLeftLarge,
         2,
         320,
         240,
         {{0, 0, 320, 240}, {8, 8, 160, 120}},
         {0, 1}},
        // The others share the right half: 240 / 2 = 120 high each.
        {"side by side",
         sideBySide,
         3,
         640,
         240,
         {{0, 0, 320, 240}, {320, 0, 320, 120}, {320, 120, 320, 120}},
         {0, 1, 2}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const ChannelCanvas canvas = ArrangeChannels(c.view, c.count, 320, 240);
        EXPECT_EQ(canvas.width, c.width);
        EXPECT_EQ(canvas.height, c.height);
        EXPECT_EQ(canvas.cells, c.cells);
        EXPECT_EQ(canvas.order, c.order);
    }
}

TEST(ChannelLayout, TheMousePicksTheTopPictureAndDragsTheSmallOnesWithinThePicture) {
    const ChannelView view;
    const ChannelCanvas canvas = ArrangeChannels(view, 2, 320, 240);
    EXPECT_EQ(ChannelAt(canvas, 250, 200), 1) << "the small picture lies over the big one";
    EXPECT_EQ(ChannelAt(canvas, 10, 10), 0);
    EXPECT_EQ(ChannelAt(canvas, 320, 10), -1);

    // Room to move is 320 - 16 - 96 = 208 across and 240 - 16 - 72 = 152 down; the group
    // starts at 216 - 8 = 208 and 160 - 8 = 152 into it.
    const ChannelView left = MoveSmallGroup(view, canvas, -104, -76);
    EXPECT_DOUBLE_EQ(left.groupX, 0.5);
    EXPECT_DOUBLE_EQ(left.groupY, 0.5);
    EXPECT_EQ(ArrangeChannels(left, 2, 320, 240).cells[1], (PictureRect{112, 84, 96, 72}));
    const ChannelView far = MoveSmallGroup(view, canvas, -5000, 5000);
    EXPECT_DOUBLE_EQ(far.groupX, 0.0) << "held at the left edge";
    EXPECT_DOUBLE_EQ(far.groupY, 1.0) << "held at the bottom edge";
}

} // namespace
