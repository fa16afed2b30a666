#include "skin/SkinRule.h"

#include <algorithm>
#include <cmath>

int SkinEdge::At(int extent) const {
    // Rounded to the nearest pixel (0.29 * 100 is 28.999... in binary); two panes that
    // share an edge by the same fraction still meet exactly.
    return static_cast<int>(std::lround(fraction * extent)) + pixels;
}

QRect SkinRule::Place(const QSize& parent) const {
    const int x0 = left.At(parent.width());
    const int y0 = top.At(parent.height());
    const int x1 = std::max(x0, right.At(parent.width()));
    const int y1 = std::max(y0, bottom.At(parent.height()));
    return {x0, y0, x1 - x0, y1 - y0};
}
