// The frameless window's rim: which edges a press takes hold of, the title band that
// toggles maximise, and the maximised rectangle.
#include "app/WindowBorder.h"

#include <gtest/gtest.h>

namespace {

const QSize kClient(800, 600);

Qt::Edges At(int x, int y, bool maximised = false) {
    return BorderEdgesAt(QPoint(x, y), kClient, maximised);
}

TEST(WindowBorder, CornersTakeTwoEdges) {
    EXPECT_EQ(At(3, 3), Qt::LeftEdge | Qt::TopEdge);
    EXPECT_EQ(At(0, 0), Qt::LeftEdge | Qt::TopEdge);
    EXPECT_EQ(At(3, 597), Qt::LeftEdge | Qt::BottomEdge); // ch - 3
    EXPECT_EQ(At(797, 3), Qt::RightEdge | Qt::TopEdge);   // cw - 3
    EXPECT_EQ(At(799, 599), Qt::RightEdge | Qt::BottomEdge);
}

TEST(WindowBorder, SidesTakeOneEdge) {
    EXPECT_EQ(At(4, 3), Qt::TopEdge);
    EXPECT_EQ(At(796, 0), Qt::TopEdge);
    EXPECT_EQ(At(0, 300), Qt::LeftEdge);
    EXPECT_EQ(At(797, 4), Qt::RightEdge);
    EXPECT_EQ(At(400, 597), Qt::BottomEdge);
    EXPECT_EQ(At(4, 599), Qt::BottomEdge);
}

TEST(WindowBorder, InsideTheRimIsTheWindowItself) {
    EXPECT_EQ(At(4, 4), Qt::Edges());
    EXPECT_EQ(At(796, 596), Qt::Edges());
    EXPECT_EQ(At(400, 300), Qt::Edges());
}

TEST(WindowBorder, AMaximisedWindowHasNoRim) {
    EXPECT_EQ(At(0, 0, true), Qt::Edges());
    EXPECT_EQ(At(3, 300, true), Qt::Edges());
    EXPECT_EQ(At(799, 599, true), Qt::Edges());
}

TEST(WindowBorder, OnlyTheTitleBandTogglesMaximise) {
    EXPECT_TRUE(TogglesMaximise(QPoint(300, 0)));
    EXPECT_TRUE(TogglesMaximise(QPoint(300, 52)));
    EXPECT_FALSE(TogglesMaximise(QPoint(300, 53)));
    EXPECT_FALSE(TogglesMaximise(QPoint(300, 400)));
}

TEST(WindowBorder, MaximisedRectOverlapsTheWorkAreaByTwoPixels) {
    // A 1280 x 800 screen with a 27-pixel panel on top.
    EXPECT_EQ(MaximisedRect(QRect(0, 27, 1280, 773)), QRect(-2, 25, 1284, 777));
}

} // namespace
