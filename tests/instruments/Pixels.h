// Rendering a painted control into an image and reading its pixels in tests.
#pragma once

#include "tests/support/Pixels.h"

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QWidget>

#include <ostream>

inline void PrintTo(const QColor& colour, std::ostream* out) {
    *out << "RGB(" << colour.red() << ", " << colour.green() << ", " << colour.blue() << ")";
}

// What the control's paint function draws for its whole client area.
template <typename Control> QImage Render(Control& control) {
    QImage image(control.size(), QImage::Format_RGB32);
    image.fill(Qt::magenta);
    QPainter painter(&image);
    control.paint(painter, control.rect());
    return image;
}

// What the widget shows on screen, through its paint event.
inline QImage Grab(QWidget& widget) {
    return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

inline QColor PixelAt(const QImage& image, int x, int y) {
    return QColor(image.pixel(x, y));
}
