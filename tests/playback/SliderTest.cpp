#include "playback/CMySliderCtrl.h"

#include "tests/support/PaintedControl.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <vector>

namespace {

// Values worked from the rule by hand; see each group's note.
TEST(ClickPosition, MapsAPressInTheChannelOntoTheRange) {
    const struct {
        int x, left, right, range, value;
    } cases[] = {
        // A channel of 200 px over 100 units.
        {10, 10, 210, 100, 0},
        {11, 10, 210, 100, 1},
        {110, 10, 210, 100, 50},
        {210, 10, 210, 100, 100},
        // Millisecond ranges land just below the exact fraction; the arithmetic gives -149 at
        // the left end, and the range limits it.
        {200, 0, 400, 60000, 29851},
        {400, 0, 400, 60000, 59851},
        {0, 0, 400, 60000, 0},
        // Presses outside the channel are limited to the range.
        {-50, 10, 210, 100, 0},
        {400, 10, 210, 100, 100},
        {2000000000, 0, 1, 2000000000, 2000000000},
        // An empty range or channel gives zero.
        {100, 0, 400, 0, 0},
        {100, 0, 400, -5, 0},
        {100, 50, 50, 100, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ClickPosition(c.x, c.left, c.right, c.range), c.value)
            << c.x << " in " << c.left << ".." << c.right << " over " << c.range;
    }
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

// A left press on the channel, off the handle, jumps there at once and reports the end of
// tracking on release; no other button does either. With a range of one unit per pixel of
// channel, a press lands on the unit of its pixel: step = 1, so (x - left + 1 - 1) / 1 =
// x - left.
TEST_F(Slider, APressOnTheChannelJumpsThereAndReportsOnRelease) {
    const int width = slider.ChannelRect().width();
    const struct {
        const char* what;
        int range, start, offset;
        Qt::MouseButton button;
        int value, ends;
    } cases[] = {
        {"after the handle", width, 0, 250, Qt::LeftButton, 250, 1},
        {"before the handle", width, width - 20, 40, Qt::LeftButton, 40, 1},
        {"an empty range", 0, 0, 300, Qt::LeftButton, 0, 1},
        {"another button", 60000, 0, 300, Qt::RightButton, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        slider.setRange(0, c.range);
        slider.setValue(c.start);
        ends = 0;
        const QPoint at(slider.ChannelRect().left() + c.offset, slider.ChannelRect().center().y());
        ASSERT_TRUE(c.range == 0 || !slider.ThumbRect().contains(at));
        Mouse(QEvent::MouseButtonPress, at, c.button);
        if (c.button == Qt::LeftButton) {
            EXPECT_EQ(slider.value(), c.value);
            EXPECT_TRUE(slider.isSliderDown());
        }
        EXPECT_EQ(ends, 0);
        Mouse(QEvent::MouseButtonRelease, at, c.button);
        EXPECT_EQ(slider.value(), c.value);
        EXPECT_FALSE(slider.isSliderDown());
        EXPECT_EQ(ends, c.ends);
    }
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

// A mark is where the handle's middle stands when the clip plays its second (the style's own
// layout says where that is); nothing is drawn there until marks are set.
TEST_F(Slider, EventMarksAreDrawnOnlyWhenSet) {
    const int second = 20;
    slider.setValue(second * 1000);
    const QPoint mark(slider.ThumbRect().center().x(), slider.ChannelRect().center().y());
    slider.setValue(60000);
    const QImage plain = Grab(slider);
    slider.SetMarks({second});
    const QImage marked = Grab(slider);
    const QColor ink = slider.palette().color(QPalette::WindowText);
    EXPECT_NE(PixelAt(plain, mark.x(), mark.y()), ink);
    EXPECT_EQ(PixelAt(marked, mark.x(), mark.y()), ink);
    slider.SetMarks({});
    EXPECT_EQ(Grab(slider), plain);
}

// The excerpt is shaded between its brackets and nowhere else; the brackets stand where the
// handle's middle does at their seconds. A start before the clip (a drive's excerpt from an
// earlier clip) shades from the slider's start with no bracket of its own.
TEST_F(Slider, ExcerptIsShadedBetweenItsBrackets) {
    const auto channelAt = [this](int value) {
        slider.setValue(value);
        return QPoint(slider.ThumbRect().center().x(), slider.ChannelRect().center().y());
    };
    const QPoint at10 = channelAt(10000), at20 = channelAt(20000), at30 = channelAt(30000),
                 at50 = channelAt(50000);
    const QPoint bracketTop(at20.x(), slider.ChannelRect().top() - 3);
    slider.setValue(60000);
    const QImage plain = Grab(slider);
    const QColor highlight = slider.palette().color(QPalette::Highlight);

    slider.SetExcerpt(20000, 40000);
    const QImage marked = Grab(slider);
    EXPECT_NE(PixelAt(marked, at30.x(), at30.y()), PixelAt(plain, at30.x(), at30.y()));
    EXPECT_EQ(PixelAt(marked, at50.x(), at50.y()), PixelAt(plain, at50.x(), at50.y()));
    EXPECT_EQ(PixelAt(marked, at10.x(), at10.y()), PixelAt(plain, at10.x(), at10.y()));
    EXPECT_EQ(PixelAt(marked, bracketTop.x(), bracketTop.y()), highlight);

    slider.SetExcerpt(-5000, 20000);
    const QImage early = Grab(slider);
    EXPECT_NE(PixelAt(early, at10.x(), at10.y()), PixelAt(plain, at10.x(), at10.y()));
    const QPoint startTop(slider.ChannelRect().left() + slider.ThumbRect().width() / 2,
                          slider.ChannelRect().top() - 3);
    EXPECT_NE(PixelAt(early, startTop.x(), startTop.y()), highlight);

    slider.SetExcerpt(std::nullopt, std::nullopt);
    EXPECT_EQ(Grab(slider), plain);
}

} // namespace
