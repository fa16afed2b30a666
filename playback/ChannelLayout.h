// Where the pictures of a clip's cameras (front, rear, interior) sit in the one picture the
// engine composes: one big, the others small in a movable group over it, or all side by
// side. Pure geometry in the composed picture's pixels, so the filter graph that draws it
// and the mouse that picks a picture in it agree on every rectangle.
#pragma once

#include <vector>

struct PictureRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    bool Contains(int px, int py) const {
        return px >= x && py >= y && px < x + width && py < y + height;
    }
    bool operator==(const PictureRect&) const = default;
};

enum class ChannelArrangement { PictureInPicture, SideBySide };

// What the user chose; kept while clips change, so the next moment looks the same.
struct ChannelView {
    ChannelArrangement arrangement = ChannelArrangement::PictureInPicture;
    int big = 0; // the channel shown big: 0 is the clip that keeps the time and the sound
    // Where the group of small pictures sits within the room the big one leaves it: 0 at
    // the left (top) edge, 1 at the right (bottom) edge.
    double groupX = 1;
    double groupY = 1;
    // A small picture's width as a share of the big one's.
    double smallShare = 0.3;
};

inline constexpr double kMinSmallShare = 0.15;
inline constexpr double kMaxSmallShare = 0.5;

struct ChannelCanvas {
    int width = 0;
    int height = 0;
    std::vector<PictureRect> cells; // one per channel, in channel order
    std::vector<int> order;         // channels in drawing order, the big one first
};

// The composed picture for `count` channels whose first is `mainWidth` x `mainHeight`.
// Picture in picture keeps the first channel's size; side by side doubles its width and
// stacks the others in the right half. Each picture is fitted into its cell keeping its
// shape. One channel gives the clip's own picture.
ChannelCanvas ArrangeChannels(const ChannelView& view, int count, int mainWidth, int mainHeight);

// The channel whose picture is at (x, y) of the canvas, the topmost one; -1 for none.
int ChannelAt(const ChannelCanvas& canvas, int x, int y);

// The view with the small group moved by (dx, dy) canvas pixels, held inside the picture.
ChannelView MoveSmallGroup(const ChannelView& view, const ChannelCanvas& canvas, int dx, int dy);
