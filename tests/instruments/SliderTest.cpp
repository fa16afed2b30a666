#include "instruments/CMySliderCtrl.h"

#include <QApplication>
#include <QMouseEvent>

#include <gtest/gtest.h>

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

TEST_F(Slider, APressOnTheChannelJumpsThereAndReportsOnRelease) {
    const QRect channel = slider.ChannelRect();
    const QPoint at(channel.left() + 250, channel.center().y());
    ASSERT_FALSE(slider.ThumbRect().contains(at));
    const int expected = ClickPosition(at.x(), channel.left(), channel.right() + 1, 60000);
    ASSERT_GT(expected, 30000);

    Mouse(QEvent::MouseButtonPress, at);
    EXPECT_EQ(slider.value(), expected);
    EXPECT_TRUE(slider.isSliderDown());
    EXPECT_EQ(ends, 0);

    Mouse(QEvent::MouseButtonRelease, at);
    EXPECT_EQ(slider.value(), expected);
    EXPECT_FALSE(slider.isSliderDown());
    EXPECT_EQ(ends, 1);
}

TEST_F(Slider, APressBeforeTheHandleJumpsBackToo) {
    slider.setValue(50000);
    const QRect channel = slider.ChannelRect();
    const QPoint at(channel.left() + 40, channel.center().y());
    ASSERT_FALSE(slider.ThumbRect().contains(at));
    Mouse(QEvent::MouseButtonPress, at);
    Mouse(QEvent::MouseButtonRelease, at);
    EXPECT_EQ(slider.value(), ClickPosition(at.x(), channel.left(), channel.right() + 1, 60000));
    EXPECT_EQ(ends, 1);
}

TEST_F(Slider, ThePlaybackCannotMoveTheHandleWhileTheButtonIsHeld) {
    const QRect channel = slider.ChannelRect();
    const QPoint at(channel.left() + 300, channel.center().y());
    Mouse(QEvent::MouseButtonPress, at);
    const int chosen = slider.value();
    // What the video pane's tick does with the play position.
    if (!slider.isSliderDown()) {
        slider.setValue(1000);
    }
    Mouse(QEvent::MouseButtonRelease, at);
    EXPECT_EQ(slider.value(), chosen);
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
