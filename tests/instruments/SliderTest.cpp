#include "instruments/CMySliderCtrl.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(ClickPosition, ChannelOfTwoHundredOverOneHundredUnits) {
    EXPECT_EQ(ClickPosition(10, 10, 210, 100), 0);
    EXPECT_EQ(ClickPosition(11, 10, 210, 100), 1);
    EXPECT_EQ(ClickPosition(110, 10, 210, 100), 50);
    EXPECT_EQ(ClickPosition(210, 10, 210, 100), 100);
}

TEST(ClickPosition, MillisecondRangesLandJustBelowTheExactFraction) {
    EXPECT_EQ(ClickPosition(200, 0, 400, 60000), 29851);
    EXPECT_EQ(ClickPosition(400, 0, 400, 60000), 59851);
    // The arithmetic gives -149 at the left end; the range limits it.
    EXPECT_EQ(ClickPosition(0, 0, 400, 60000), 0);
}

TEST(ClickPosition, PressesOutsideTheChannelAreLimitedToTheRange) {
    EXPECT_EQ(ClickPosition(-50, 10, 210, 100), 0);
    EXPECT_EQ(ClickPosition(400, 10, 210, 100), 100);
    EXPECT_EQ(ClickPosition(2000000000, 0, 1, 2000000000), 2000000000);
}

TEST(ClickPosition, AnEmptyRangeOrChannelGivesZero) {
    EXPECT_EQ(ClickPosition(100, 0, 400, 0), 0);
    EXPECT_EQ(ClickPosition(100, 0, 400, -5), 0);
    EXPECT_EQ(ClickPosition(100, 50, 50, 100), 0);
}

class Slider : public ::testing::Test {
protected:
    Slider() : slider(Qt::Horizontal) {
        slider.resize(420, 24);
        slider.setRange(0, 60000);
        slider.setValue(0);
        QObject::connect(&slider, &CMySliderCtrl::endTrack, [this] { ++ends; });
    }

    void Mouse(QEvent::Type type, QPoint at, Qt::MouseButton button = Qt::LeftButton) {
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : button;
        QMouseEvent event(type, QPointF(at), QPointF(slider.mapToGlobal(at)), button, held,
                          Qt::NoModifier);
        QApplication::sendEvent(&slider, &event);
    }

    CMySliderCtrl slider;
    int ends = 0;
};

// With a range of one unit per pixel of channel, a press lands on the unit of its pixel:
// step = 1, so (x - left + 1 - 1) / 1 = x - left.
TEST_F(Slider, APressOnTheChannelJumpsThereAndReportsOnRelease) {
    const QRect channel = slider.ChannelRect();
    slider.setRange(0, channel.width());
    const QPoint at(channel.left() + 250, channel.center().y());
    ASSERT_FALSE(slider.ThumbRect().contains(at));

    Mouse(QEvent::MouseButtonPress, at);
    EXPECT_EQ(slider.value(), 250);
    EXPECT_TRUE(slider.isSliderDown());
    EXPECT_EQ(ends, 0);

    Mouse(QEvent::MouseButtonRelease, at);
    EXPECT_EQ(slider.value(), 250);
    EXPECT_FALSE(slider.isSliderDown());
    EXPECT_EQ(ends, 1);
}

TEST_F(Slider, APressBeforeTheHandleJumpsBackToo) {
    const QRect channel = slider.ChannelRect();
    slider.setRange(0, channel.width());
    slider.setValue(channel.width() - 20);
    const QPoint at(channel.left() + 40, channel.center().y());
    ASSERT_FALSE(slider.ThumbRect().contains(at));
    Mouse(QEvent::MouseButtonPress, at);
    Mouse(QEvent::MouseButtonRelease, at);
    EXPECT_EQ(slider.value(), 40);
    EXPECT_EQ(ends, 1);
}

TEST_F(Slider, KeysAndTheWheelReportTheirMoveOnceTheValueIsSet) {
    slider.setSingleStep(1000);
    slider.setPageStep(10000);
    slider.setValue(30000);
    std::vector<int> reported;
    QObject::connect(&slider, &CMySliderCtrl::endTrack,
                     [&] { reported.push_back(slider.value()); });
    QKeyEvent pageUp(QEvent::KeyPress, Qt::Key_PageUp, Qt::NoModifier);
    QApplication::sendEvent(&slider, &pageUp);
    QKeyEvent end(QEvent::KeyPress, Qt::Key_End, Qt::NoModifier);
    QApplication::sendEvent(&slider, &end);
    QApplication::processEvents();
    // Both keys in one pass of the event loop: one report, of where the slider ended up.
    EXPECT_EQ(reported, std::vector<int>{60000});

    const QPointF at = slider.rect().center();
    QWheelEvent wheel(at, slider.mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&slider, &wheel);
    QApplication::processEvents();
    // A notch is three lines of one step each.
    EXPECT_EQ(reported, (std::vector<int>{60000, 57000}));
}

TEST_F(Slider, TheHandleIsDraggedAsOnAnySlider) {
    const QPoint grip = slider.ThumbRect().center();
    Mouse(QEvent::MouseButtonPress, grip);
    EXPECT_EQ(slider.value(), 0);
    EXPECT_TRUE(slider.isSliderDown());
    const QPoint to(grip.x() + 200, grip.y());
    QMouseEvent move(QEvent::MouseMove, QPointF(to), QPointF(slider.mapToGlobal(to)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&slider, &move);
    Mouse(QEvent::MouseButtonRelease, to);
    EXPECT_GT(slider.value(), 20000);
    EXPECT_LT(slider.value(), 40000);
    EXPECT_EQ(ends, 1);
}

TEST_F(Slider, AnEmptyRangeStaysAtZero) {
    slider.setRange(0, 0);
    const QRect channel = slider.ChannelRect();
    const QPoint at(channel.left() + 300, channel.center().y());
    Mouse(QEvent::MouseButtonPress, at);
    Mouse(QEvent::MouseButtonRelease, at);
    EXPECT_EQ(slider.value(), 0);
}

TEST_F(Slider, OtherButtonsDoNotReportTheEndOfTracking) {
    const QRect channel = slider.ChannelRect();
    const QPoint at(channel.left() + 300, channel.center().y());
    Mouse(QEvent::MouseButtonPress, at, Qt::RightButton);
    Mouse(QEvent::MouseButtonRelease, at, Qt::RightButton);
    EXPECT_EQ(ends, 0);
    EXPECT_EQ(slider.value(), 0);
}

} // namespace
