// A painted control in a test: what its paint function draws, what the widget shows through
// its paint event, the regions it is asked to repaint, and a pixel's colour, printed
// readably when a check fails.
#pragma once

#include "tests/support/Pixels.h"

#include <QColor>
#include <QEvent>
#include <QImage>
#include <QPaintEvent>
#include <QPainter>
#include <QRegion>
#include <QWidget>

#include <ostream>
#include <vector>

inline void PrintTo(const QColor& colour, std::ostream* out) {
    *out << "RGB(" << colour.red() << ", " << colour.green() << ", " << colour.blue() << ")";
}

inline QColor PixelAt(const QImage& image, int x, int y) {
    return QColor(image.pixel(x, y));
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

// Collects the regions a control is asked to repaint.
class PaintRecorder : public QObject {
public:
    bool eventFilter(QObject* /*watched*/, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            regions.push_back(static_cast<QPaintEvent*>(event)->region());
        }
        return false;
    }
    std::vector<QRegion> regions;
};
