// Counting in a test's pictures the pixels of a kind: a colour, a curve's colours, anything
// plainly green.
#pragma once

#include <QColor>
#include <QImage>
#include <QRect>

#include <functional>

// The pixels of `region` (the whole image when empty) that `match`, looking at every
// `step`-th pixel of every `step`-th row from the region's top left.
inline int CountPixels(const QImage& image, const std::function<bool(QColor)>& match,
                       QRect region = QRect(), int step = 1) {
    if (region.isNull()) {
        region = image.rect();
    }
    int count = 0;
    for (int y = region.top(); y <= region.bottom(); y += step) {
        for (int x = region.left(); x <= region.right(); x += step) {
            count += match(QColor(image.pixel(x, y))) ? 1 : 0;
        }
    }
    return count;
}
