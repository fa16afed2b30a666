// The dial face of our skin, drawn by the engine as the dial's background: its scales
// must sit where the dial's needle rule points for each value.
#include "skin/SkinSE.h"
#include "skin/SkinSelfDrawn.h"
#include "track/CSpeedDialModel.h"

#include <QImage>
#include <QPainter>
#include <QWidget>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

QImage Face(QSize size) {
    EXPECT_EQ(SkinSE_LoadSkinResourceFromZIP(QStringLiteral(OSTVIK_SKIN_ZIP), QString()), 1);
    QWidget dial;
    dial.setObjectName(QLatin1String(kSpeedDialObjectName));
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::magenta);
    QPainter painter(&image);
    SkinSE_UI_DrawBack(&dial, painter, 0, 0, size.width(), size.height(), 255);
    return image;
}

// The brightest grey level among a pixel and its eight neighbours: ticks are thin and
// antialiased, so one of them carries the stroke.
int Brightness(const QImage& image, QPoint at) {
    int brightest = 0;
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
            brightest = std::max(brightest, qGray(image.pixel(at.x() + dx, at.y() + dy)));
        }
    }
    return brightest;
}

QPoint OnSpeedScale(int value, int radius) {
    const DialPoint point = PointOnDial(94, 47, 230 - value, radius);
    return {point.x, point.y};
}

TEST(DialFace, TheSpeedTicksLieWhereTheNeedlePointsForTheirValue) {
    const QImage face = Face({272, 110});
    for (int value = 0; value <= 280; value += 20) {
        EXPECT_GT(Brightness(face, OnSpeedScale(value, 35)), 140) << value;
        // Between two ticks the ring is dark.
        if (value < 280) {
            EXPECT_LT(Brightness(face, OnSpeedScale(value + 5, 35)), 110) << value + 5;
        }
    }
    // Past 280 the scale ends.
    EXPECT_LT(Brightness(face, OnSpeedScale(300, 35)), 110);
}

TEST(DialFace, TheTicksStayClearOfTheNeedleItself) {
    const QImage face = Face({272, 110});
    for (int value = 0; value <= 280; value += 10) {
        EXPECT_LT(Brightness(face, OnSpeedScale(value, 27)), 80) << value;
    }
}

TEST(DialFace, TheCompassRoseHasNorthUp) {
    const QImage face = Face({272, 110});
    const auto orange = [&](int x, int y) {
        const QColor c(face.pixel(x, y));
        return c.red() > 150 && c.green() < 150 && c.blue() < 110;
    };
    int above = 0;
    int below = 0;
    for (int x = 176; x <= 192; ++x) {
        for (int y = 2; y <= 13; ++y) {
            above += orange(x, y) ? 1 : 0;
            below += orange(x, 94 - y) ? 1 : 0;
        }
    }
    EXPECT_GT(above, 3);
    EXPECT_EQ(below, 0);
}

} // namespace
