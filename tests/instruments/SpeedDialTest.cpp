#include "instruments/CSpeedStatic.h"
#include "tests/support/PaintedControl.h"

#include <QApplication>
#include <QMouseEvent>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

namespace {

const QColor kNeedle(255, 0, 0);
const QColor kTipRight(163, 163, 163);
const QColor kTailRight(163, 35, 0);
const QColor kTailLeft(255, 51, 0);
const QColor kTipLeft(0, 0, 0);
const QColor kWhite(255, 255, 255);

// The dial's text rectangle: left 102, top 92, right 186, bottom 107, right and bottom outside.
const QRect kTextRect(102, 92, 84, 15);

class Dial : public ::testing::Test {
protected:
    void Show(int speed, int heading) {
        dial.SetSpeedRecord(1, speed, heading);
        dial.ShowSpeedAt(1);
    }
    CSpeedStatic dial;
};

// Needle tips 29 px from the hub at (94, 47), offsets truncated toward zero:
// 100 shown: 130 degrees, cos -0.6428 x 29 = -18.64, sin 0.7660 x 29 = 22.21 -> (76, 25).
// 62 shown (100 km/h in miles): 168 degrees, cos -0.9781 x 29 = -28.37,
// sin 0.2079 x 29 = 6.03 -> (66, 41).
const QPoint kTipAt100(76, 25);
const QPoint kTipAt62(66, 41);

// One dial through the units and speeds: the text, and the pixels the needle covers and
// misses. At rest it points down left to (76, 69); 230 km/h points straight right, its tip
// at the hub's x plus 29.
TEST_F(Dial, TheNeedleAndTextShowTheSpeedInTheChosenUnits) {
    EXPECT_FALSE(dial.IsKmh());
    EXPECT_EQ(dial.size(), QSize(272, 110));
    struct Step {
        std::function<void()> act;
        const char* text;
        std::vector<QPoint> needle;
        std::vector<QPoint> clear;
    };
    const Step steps[] = {
        {[] {}, "0mile/h", {{76, 69}, {94, 47}}, {}},
        {[&] { Show(100, 0); }, "62mile/h", {kTipAt62}, {kTipAt100}},
        {[&] { dial.SetKmh(true); }, "100Km/h", {kTipAt100}, {}},
        {[&] { dial.SetKmh(false); }, "62mile/h", {kTipAt62}, {kTipAt100}},
        {[&] { dial.SetKmh(true), Show(230, 0); },
         "230Km/h",
         {{123, 47}, {110, 47}},
         {{126, 47}, {76, 69}}},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.text);
        step.act();
        EXPECT_EQ(dial.Text(), step.text);
        const QImage image = Render(dial);
        for (const QPoint& at : step.needle) {
            EXPECT_EQ(PixelAt(image, at.x(), at.y()), kNeedle) << at.x() << "," << at.y();
        }
        for (const QPoint& at : step.clear) {
            EXPECT_NE(PixelAt(image, at.x(), at.y()), kNeedle) << at.x() << "," << at.y();
        }
    }
}

struct CompassCase {
    int heading;
    QPoint tipRight;
    QPoint tipLeft;
    QPoint tailRight;
    QPoint tailLeft;
    QPoint beyondTip;
};

TEST_F(Dial, TheCompassTipIsGreyAndBlackTheTailDarkAndBrightRed) {
    const CompassCase cases[] = {
        {0, {184, 37}, {183, 37}, {184, 57}, {183, 57}, {184, 17}},
        {45, {190, 41}, {189, 40}, {178, 53}, {177, 52}, {206, 25}},
        {90, {194, 47}, {194, 46}, {174, 47}, {174, 46}, {215, 47}},
    };
    for (const CompassCase& c : cases) {
        Show(0, c.heading);
        const QImage image = Render(dial);
        EXPECT_EQ(PixelAt(image, c.tipRight.x(), c.tipRight.y()), kTipRight) << c.heading;
        EXPECT_EQ(PixelAt(image, c.tipLeft.x(), c.tipLeft.y()), kTipLeft) << c.heading;
        EXPECT_EQ(PixelAt(image, c.tailRight.x(), c.tailRight.y()), kTailRight) << c.heading;
        EXPECT_EQ(PixelAt(image, c.tailLeft.x(), c.tailLeft.y()), kTailLeft) << c.heading;
        const QColor beyond = PixelAt(image, c.beyondTip.x(), c.beyondTip.y());
        EXPECT_NE(beyond, kTipRight) << c.heading;
        EXPECT_NE(beyond, kTipLeft) << c.heading;
    }
}

// Any area gets the dial scaled evenly by min(width / 272, height / 110) and centred: a
// design pixel (x, y) covers scale x scale pixels from origin + scale * (x, y); the pixel
// checked is the one at the middle of that square. Hub at (184, 47), black inside a grey ring
// at 181 and 187.
TEST_F(Dial, KeepsItsProportionsCentredInAnyArea) {
    struct Case {
        QSize area;
        QPoint origin;
        int scale;
    };
    const Case cases[] = {
        {{272, 110}, {0, 0}, 1},
        {{544, 440}, {0, 110}, 2}, // tall: (440 - 220) / 2 above
        {{816, 220}, {136, 0}, 2}, // wide: (816 - 544) / 2 to the left
    };
    for (const Case& c : cases) {
        QImage image(c.area, QImage::Format_RGB32);
        image.fill(Qt::magenta);
        {
            QPainter painter(&image);
            dial.paint(painter, image.rect());
        }
        const auto at = [&](int x, int y) {
            return PixelAt(image, c.origin.x() + c.scale * x + c.scale / 2,
                           c.origin.y() + c.scale * y + c.scale / 2);
        };
        EXPECT_EQ(at(184, 47), QColor(0, 0, 0)) << c.area.width() << "x" << c.area.height();
        EXPECT_EQ(at(181, 47), QColor(175, 175, 175)) << c.area.width() << "x" << c.area.height();
        EXPECT_EQ(at(187, 47), QColor(175, 175, 175)) << c.area.width() << "x" << c.area.height();
        EXPECT_EQ(CountPixels(image, [](QColor p) { return p == QColor(Qt::magenta); }), 0);
    }
}

TEST_F(Dial, TheTextIsWhiteAndCentredUnderTheNeedles) {
    Show(100, 0);
    const QImage image = Render(dial);
    // Pure white is the text's own colour; nothing else on the dial uses it.
    QRect white;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (PixelAt(image, x, y) == kWhite) {
                white |= QRect(x, y, 1, 1);
            }
        }
    }
    ASSERT_FALSE(white.isEmpty());
    EXPECT_TRUE(kTextRect.contains(white));
    // The ink, weighed by its lightness, balances on the middle of the rectangle.
    double weight = 0;
    double moment = 0;
    int firstRow = -1;
    for (int y = kTextRect.top(); y <= kTextRect.bottom(); ++y) {
        for (int x = kTextRect.left(); x <= kTextRect.right(); ++x) {
            const QColor c = PixelAt(image, x, y);
            const int ink = std::min({c.red(), c.green(), c.blue()});
            if (ink > 150) {
                weight += ink;
                moment += ink * (x + 0.5);
                firstRow = firstRow < 0 ? y : firstRow;
            }
        }
    }
    ASSERT_GT(weight, 0);
    EXPECT_NEAR(moment / weight, 144.0, 3.0);
    EXPECT_LE(firstRow - kTextRect.top(), 5);
}

TEST_F(Dial, ASecondWithoutARecordChangesNothing) {
    Show(120, 45);
    dial.show();
    QApplication::processEvents();
    const QImage before = Grab(dial);
    PaintRecorder paints;
    dial.installEventFilter(&paints);

    dial.ShowSpeedAt(7);
    QApplication::processEvents();
    EXPECT_TRUE(paints.regions.empty());
    EXPECT_EQ(dial.Model().m_nSpeed, 120);
    EXPECT_EQ(dial.Model().m_nHeading, 45);
    EXPECT_EQ(Grab(dial), before);

    paints.regions.clear();
    dial.SetSpeedRecord(7, 30, 90);
    dial.ShowSpeedAt(7);
    QApplication::processEvents();
    EXPECT_EQ(paints.regions.size(), 1u);
    EXPECT_NE(Grab(dial), before);
}

TEST_F(Dial, APressOnTheDialGoesOnToTheWindowBehindIt) {
    struct Window : QWidget {
        int presses = 0;
        void mousePressEvent(QMouseEvent*) override { ++presses; }
    } window;
    auto* inner = new CSpeedStatic(&window);
    const QPointF at(20, 20);
    QMouseEvent press(QEvent::MouseButtonPress, at, inner->mapToGlobal(at), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(inner, &press);
    EXPECT_EQ(window.presses, 1);
}

} // namespace
