#include "instruments/CGSensesDlg.h"
#include "instruments/CMyStatic.h"
#include "instruments/CSpeedStatic.h"
#include "skin/SkinSE.h"
#include "tests/support/PaintedControl.h"

#include <QApplication>
#include <QLabel>
#include <QRegion>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

namespace {

const QColor kBack(20, 20, 24);
const QColor kZeroLine(0, 100, 0);
const QColor kOneGLine(50, 50, 50);
const QColor kBlue(0, 0, 200);
const QColor kRed(200, 0, 0);
const QColor kGreen(0, 200, 0);

std::string Line(int ms, double x, double y, double z) {
    char text[128];
    std::snprintf(text, sizeof text, "T:%d X:%f Y:%f Z:%f G:0.000000", ms, x, y, z);
    return text;
}

// Lines for seconds `from` to `to` - 1, all with the same values.
void AddSeconds(CMyStatic& chart, int from, int to, double x, double y, double z) {
    for (int s = from; s < to; ++s) {
        chart.AddTrackLine(Line(s * 1000, x, y, z).c_str());
    }
}

bool IsCurve(QColor colour) {
    return colour == kBlue || colour == kRed || colour == kGreen;
}

// Shown, so that its paint events work on what it keeps between paints; a hidden widget
// is laid out afresh for every grab.
class Chart : public ::testing::Test {
protected:
    Chart() {
        chart.resize(200, 151);
        chart.show();
        QApplication::processEvents();
    }
    CMyStatic chart;
};

// A pane around the chart, so that ticks have labels to write.
class ChartInPane : public ::testing::Test {
protected:
    ChartInPane() {
        pane.show();
        QApplication::processEvents();
    }
    CMyStatic& chart() { return *pane.m_chart; }
    QString LabelText(int id) { return pane.Label(id)->text(); }
    CGSensesDlg pane;
};

TEST_F(Chart, NewChartShowsTheBackgroundAndTheThreeGridRowsOnly) {
    const QImage image = Render(chart);
    for (int x : {0, 100, 199}) {
        EXPECT_EQ(PixelAt(image, x, 37), kOneGLine);
        EXPECT_EQ(PixelAt(image, x, 75), kZeroLine);
        EXPECT_EQ(PixelAt(image, x, 113), kOneGLine);
        for (int y : {0, 36, 38, 74, 76, 112, 114, 150}) {
            EXPECT_EQ(PixelAt(image, x, y), kBack) << x << "," << y;
        }
    }
    EXPECT_EQ(CountPixels(image, IsCurve), 0);
    EXPECT_EQ(Grab(chart), image);
}

TEST_F(Chart, CurvesRunFromSecondZeroToTheLastSecondInTheAxisColours) {
    AddSeconds(chart, 0, 5, 1.5, -1.5, 0.5); // scale 4: a second is 50 px
    chart.Store().m_nLastSecond = 2;
    const QImage image = Render(chart);
    // 1.5 g falls on row 18, -1.5 g on row 131, 0.5 g on row 56.
    for (int x : {0, 50, 100}) {
        EXPECT_EQ(PixelAt(image, x, 18), kBlue) << x;
        EXPECT_EQ(PixelAt(image, x, 131), kRed) << x;
        EXPECT_EQ(PixelAt(image, x, 56), kGreen) << x;
    }
    for (int x : {105, 150, 199}) {
        EXPECT_EQ(PixelAt(image, x, 18), kBack) << x;
        EXPECT_EQ(PixelAt(image, x, 131), kBack) << x;
        EXPECT_EQ(PixelAt(image, x, 56), kBack) << x;
    }
}

TEST_F(Chart, OneGAndMinusOneGFallOnTheRowsOfTheHeightRule) {
    AddSeconds(chart, 0, 3, 1.0, -1.0, 0.0);
    chart.Store().m_nLastSecond = 2;
    const QImage image = Render(chart);
    EXPECT_EQ(PixelAt(image, 100, 37), kBlue);
    EXPECT_EQ(PixelAt(image, 100, 112), kRed);
    // The -1 g grid row stays visible one row below the curve.
    EXPECT_EQ(PixelAt(image, 100, 113), kOneGLine);
}

TEST_F(Chart, TheLaterAxisCoversTheEarlierWhereTheyMeet) {
    AddSeconds(chart, 0, 3, 1.5, 1.5, 1.5);
    chart.Store().m_nLastSecond = 2;
    const QImage image = Render(chart);
    EXPECT_EQ(PixelAt(image, 100, 18), kGreen);
    EXPECT_EQ(CountPixels(image, [](QColor c) { return c == kBlue || c == kRed; }), 0);
}

TEST_F(Chart, ValuesBeyondTwoGAreClippedAtTheEdges) {
    chart.AddTrackLine(Line(0, 2.0, -2.0, 0.0).c_str());
    chart.AddTrackLine(Line(1000, 2.5, -2.5, 0.0).c_str());
    chart.AddTrackLine(Line(2000, 2.5, -2.5, 0.0).c_str());
    chart.Store().m_nLastSecond = 2;
    const QImage image = Render(chart);
    // +2 g is the top row and -2 g row 150, both inside; the flat part beyond lies outside.
    EXPECT_EQ(PixelAt(image, 0, 0), kBlue);
    EXPECT_EQ(PixelAt(image, 0, 150), kRed);
    for (int x = 110; x < 200; ++x) {
        for (int y = 0; y < 151; ++y) {
            const QColor c = PixelAt(image, x, y);
            ASSERT_TRUE(c != kBlue && c != kRed) << x << "," << y;
        }
    }
}

// Whatever changes the chart between two ticks, the screen follows. Each row starts from a
// shown chart of seconds 0 to `seconds` - 1 at (1.5, -1.5, 0.5) g, drawn up to second
// `shown`. The probe lies on the X curve's row, 18 for 1.5 g; at scale 4 a second is 50 px.
TEST(ChartBetweenTicks, TheScreenFollowsEveryChange) {
    using Change = std::function<void(CMyStatic&)>;
    const Change earlierLine = [](CMyStatic& c) {
        c.AddTrackLine(Line(1000, -1.5, 0.0, 0.0).c_str());
        ASSERT_EQ(c.Store().m_samples.size(), 2u);
    };
    // Selecting the next clip resets and refills the store directly: same length, other values.
    const Change nextClip = [](CMyStatic& c) {
        c.Store().ResetTrack(0);
        for (int s = 0; s < 5; ++s) {
            c.Store().AddTrackLine(Line(s * 1000, -0.5, 0.5, -1.0).c_str());
        }
        EXPECT_EQ(CountPixels(Grab(c), IsCurve), 0);
        c.AdvanceTo(1);
        c.AdvanceTo(2);
    };
    // More of the clip arrives: every second now takes less width.
    const Change moreLines = [](CMyStatic& c) {
        AddSeconds(c, 3, 6, 1.5, -1.5, 0.5);
        c.AdvanceTo(3);
    };
    const Change storeReset = [](CMyStatic& c) { c.Store().ResetTrack(0); };
    enum Then { kAsFullPaint, kCurvesGone };
    struct Row {
        const char* what;
        int seconds;
        unsigned shown;
        Change change;
        QPoint probe; // null for none
        bool blueAfter;
        Then then;
    };
    // What a reset leaves in the store is the store's own test; here, what it leaves on screen.
    const Row rows[] = {
        {"a line for an earlier second", 5, 4, earlierLine, {150, 18}, false, kAsFullPaint},
        {"a reset on the store", 5, 4, storeReset, {}, false, kCurvesGone},
        {"a next clip of the same length", 5, 4, nextClip, {25, 18}, false, kAsFullPaint},
        {"seek back", 5, 4, [](CMyStatic& c) { c.AdvanceTo(1); }, {150, 18}, false, kAsFullPaint},
        {"seek forward", 5, 1, [](CMyStatic& c) { c.AdvanceTo(4); }, {100, 18}, true, kAsFullPaint},
        {"lines arriving during play", 3, 2, moreLines, {}, false, kAsFullPaint},
        {"a resize", 5, 2, [](CMyStatic& c) { c.resize(300, 100); }, {}, false, kAsFullPaint},
        {"chart reset", 5, 1, [](CMyStatic& c) { c.ResetTrack(0); }, {}, false, kCurvesGone},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        CMyStatic chart;
        chart.resize(200, 151);
        chart.show();
        QApplication::processEvents();
        AddSeconds(chart, 0, row.seconds, 1.5, -1.5, 0.5);
        for (unsigned s = 1; s <= row.shown; ++s) {
            chart.AdvanceTo(s);
        }
        const QImage before = Grab(chart);
        ASSERT_GT(CountPixels(before, IsCurve), 0);
        const bool probed = !row.probe.isNull();
        if (probed) {
            ASSERT_EQ(PixelAt(before, row.probe.x(), row.probe.y()) == kBlue, !row.blueAfter);
        }
        row.change(chart);
        const QImage shown = Grab(chart);
        if (probed) {
            EXPECT_EQ(PixelAt(shown, row.probe.x(), row.probe.y()) == kBlue, row.blueAfter);
        }
        if (row.then == kCurvesGone) {
            EXPECT_EQ(CountPixels(shown, IsCurve), 0);
        } else {
            EXPECT_EQ(shown, Render(chart));
        }
    }
}

TEST_F(Chart, TicksGrowTheCurvesExactlyAsAFullPaintDrawsThem) {
    // Zig-zags that cross each other and the grid.
    const double xs[] = {0.0, 1.2, -0.7, 1.9, -1.9, 0.3, 2.4, -0.1, 1.0, -1.0};
    for (int s = 0; s < 10; ++s) {
        chart.AddTrackLine(Line(s * 1000, xs[s], -xs[s] / 2, xs[(s + 3) % 10]).c_str());
    }
    Grab(chart);
    for (unsigned s = 1; s < 10; ++s) {
        chart.AdvanceTo(s);
        ASSERT_EQ(Grab(chart), Render(chart)) << "after second " << s;
    }
}

// An hour over 200 px: eighteen seconds to a pixel column, with spikes that a column's
// first or last second alone would hide. The expected picture is drawn here the plain way,
// every second's segment a line of its own, over the chart's empty background.
TEST_F(Chart, AClipLongerThanTheChartIsWideShowsEverySecondsSegment) {
    CMyStatic empty;
    empty.resize(chart.size());
    QImage expected = Render(empty);

    const int seconds = 3601;
    std::vector<GSample> samples;
    for (int s = 0; s < seconds; ++s) {
        // Sixty-fourths, so the text of the line holds the value exactly.
        const double x = s % 97 == 0 ? 1.90625 : std::round(std::sin(s * 0.05) * 38) / 64;
        const double y = s % 61 == 0 ? -1.8125 : std::round(std::cos(s * 0.011) * 51) / 64;
        const double z = (s % 7 - 3) * 0.296875;
        chart.AddTrackLine(Line(s * 1000, x, y, z).c_str());
        samples.push_back({static_cast<float>(x), static_cast<float>(y), static_cast<float>(z), 0});
    }
    chart.AdvanceTo(seconds - 1);

    QPainter painter(&expected);
    const ChartRect area{0, 0, chart.width(), chart.height()};
    const unsigned scale = seconds - 1;
    for (GAxis axis : {GAxis::X, GAxis::Y, GAxis::Z}) {
        painter.setPen(QPen(CMyStatic::AxisColour(axis), 1));
        for (unsigned s = 1; s < seconds; ++s) {
            const ChartPoint a = PointAt(area, scale, s - 1, AxisValue(samples[s - 1], axis));
            const ChartPoint b = PointAt(area, scale, s, AxisValue(samples[s], axis));
            painter.drawLine(a.x, a.y, b.x, b.y);
        }
    }
    painter.end();
    EXPECT_EQ(Render(chart), expected);
    EXPECT_EQ(Grab(chart), expected);
}

TEST_F(Chart, ATickRepaintsOnlyTheNewSegment) {
    AddSeconds(chart, 0, 11, 0.0, 0.0, 0.0); // scale 10: a second is 20 px
    QApplication::processEvents();
    PaintRecorder recorder;
    chart.installEventFilter(&recorder);
    for (unsigned s = 1; s <= 10; ++s) {
        chart.AdvanceTo(s);
        QApplication::processEvents();
    }
    ASSERT_EQ(recorder.regions.size(), 10u);
    for (const QRegion& region : recorder.regions) {
        EXPECT_LE(region.boundingRect().width(), 25);
        EXPECT_LE(region.boundingRect().height(), 5);
    }
    EXPECT_EQ(Grab(chart), Render(chart));
}

TEST_F(Chart, FastPlaybackDrawsTheSkippedSecondsWithoutARepaintOfTheWhole) {
    // Zig-zags over 41 seconds (scale 40: a second is 5 px), crossing each other and the grid.
    for (int s = 0; s <= 40; ++s) {
        const double x = (s % 3 - 1) * 1.4;
        chart.AddTrackLine(Line(s * 1000, x, -x / 2, (s % 5 - 2) * 0.9).c_str());
    }
    QApplication::processEvents();
    PaintRecorder recorder;
    chart.installEventFilter(&recorder);
    // At 8x each tick is four seconds on.
    for (unsigned s = 4; s <= 40; s += 4) {
        chart.AdvanceTo(s);
        QApplication::processEvents();
        ASSERT_EQ(Grab(chart), Render(chart)) << "after second " << s;
    }
    // The grabs add paints of their own; the ticks' are the narrow ones, four seconds wide
    // (20 px, both ends included) and 2 px of margin either side.
    int narrow = 0;
    for (const QRegion& region : recorder.regions) {
        narrow += region.boundingRect().width() <= 25 ? 1 : 0;
    }
    EXPECT_EQ(narrow, 10);
}

TEST_F(Chart, LinesArrivingBetweenTicksGiveTheSamePictureAsAFullPaint) {
    chart.ResetTrack(0);
    QApplication::processEvents();
    // The engine's data stream: the line of a second arrives just before or just after the
    // tick that reaches it, and at 4x the ticks pass two seconds at a time.
    for (int s = 0; s <= 30; ++s) {
        const double x = (s % 4 - 1.5) * 0.8;
        const std::string line = Line(s * 1000, x, -x, s % 2 == 0 ? 0.5 : -0.5);
        if (s % 3 == 0) {
            chart.AddTrackLine(line.c_str());
            chart.AdvanceTo(static_cast<unsigned>(s));
        } else {
            chart.AdvanceTo(static_cast<unsigned>(s - s % 2));
            chart.AddTrackLine(line.c_str());
        }
        QApplication::processEvents();
        ASSERT_EQ(Grab(chart), Render(chart)) << "at second " << s;
    }
}

TEST_F(Chart, ALineForASecondNotDrawnYetRepaintsNothing) {
    AddSeconds(chart, 0, 11, 1.5, -1.5, 0.5); // scale 10
    chart.AdvanceTo(1);
    chart.AdvanceTo(2);
    QApplication::processEvents();
    PaintRecorder recorder;
    chart.installEventFilter(&recorder);
    // The last second again, with other values: the store and its scale keep their length.
    chart.AddTrackLine(Line(10000, -1.5, 1.5, -0.5).c_str());
    QApplication::processEvents();
    EXPECT_TRUE(recorder.regions.empty());
    chart.AdvanceTo(3);
    QApplication::processEvents();
    ASSERT_EQ(recorder.regions.size(), 1u);
    EXPECT_LE(recorder.regions.front().boundingRect().width(), 25);
    EXPECT_EQ(Grab(chart), Render(chart));
}

TEST_F(ChartInPane, ATickWritesTheValuesOfItsSecondWithSixDecimals) {
    chart().AddTrackLine(Line(0, 0.0, 0.0, 0.0).c_str());
    chart().AddTrackLine(Line(1000, 0.25, -1.5, 0.125).c_str());
    chart().AdvanceTo(1);
    EXPECT_EQ(LabelText(1041), "X:0.250000");
    EXPECT_EQ(LabelText(1042), "Y:-1.500000");
    EXPECT_EQ(LabelText(1043), "Z:0.125000");
    EXPECT_EQ(chart().Store().m_nLastSecond, 1u);
}

TEST_F(ChartInPane, TicksAtSecondZeroOrPastTheStoreDrawAndWriteNothing) {
    AddSeconds(chart(), 0, 3, 0.5, 0.5, 0.5);
    Grab(chart());
    chart().AdvanceTo(0);
    EXPECT_EQ(chart().Store().m_nLastSecond, 0u);
    EXPECT_EQ(CountPixels(Grab(chart()), IsCurve), 0);
    chart().AdvanceTo(7);
    EXPECT_EQ(chart().Store().m_nLastSecond, 7u);
    EXPECT_EQ(LabelText(1041), "X:0.000000");
    EXPECT_EQ(LabelText(1042), "Y:0.000000");
    EXPECT_EQ(LabelText(1043), "Z:0.000000");
}

TEST_F(ChartInPane, ThePaneHoldsTheScaleAndValueLabelsUnderTheirSkinNames) {
    struct Expected {
        int id;
        const char* text;
        const char* element;
        QRect rect;
        bool right;
    };
    const Expected labels[] = {
        // The pane at its template size, 381 x 188, holds the chart at (33, 8, 340, 172).
        // The values split the strip above it in thirds of 113 px.
        {1041, "X:0.000000", "static.x", {33, 0, 113, 19}, false},
        {1042, "Y:0.000000", "static.y", {146, 0, 113, 19}, false},
        {1043, "Z:0.000000", "static.z", {259, 0, 113, 19}, false},
        // The scale's rows lie at 8 + 172 * k / 4 = 8, 51, 94, 137, 180; each 17 px label is
        // centred on its row (top = row - 8), the last one kept inside the pane (188 - 17).
        {1045, "2G", "static.20", {0, 0, 31, 17}, true},
        {1038, "1G", "static.10", {0, 43, 31, 17}, true},
        {1039, "0G", "static.00", {0, 86, 31, 17}, true},
        {1040, "-1G", "static._10", {0, 129, 31, 17}, true},
        {1044, "-2G", "static._20", {0, 171, 31, 17}, true},
    };
    for (const Expected& expected : labels) {
        QLabel* label = pane.Label(expected.id);
        ASSERT_NE(label, nullptr) << expected.id;
        EXPECT_EQ(label->text(), expected.text);
        EXPECT_EQ(SkinElementOf(label), expected.element);
        EXPECT_EQ(label->geometry(), expected.rect) << expected.id;
        EXPECT_EQ(bool(label->alignment() & Qt::AlignRight), expected.right) << expected.id;
    }
    EXPECT_EQ(SkinElementOf(&pane), "gsenses");
    EXPECT_EQ(pane.m_chart->objectName(), "1013");
}

TEST_F(ChartInPane, TheChartFollowsThePaneSizeWithinItsMargins) {
    pane.resize(400, 200);
    pane.show();
    QApplication::processEvents();
    EXPECT_EQ(pane.m_chart->geometry(), QRect(33, 8, 359, 184));
    // 0 g is the chart's middle row, 8 + 184 / 2 = 100, and its label stays centred on it.
    EXPECT_EQ(pane.Label(1039)->geometry(), QRect(0, 92, 31, 17));
    EXPECT_EQ(pane.Label(1043)->geometry(), QRect(33 + 2 * 119, 0, 119, 19));
    pane.resize(30, 10);
    QApplication::processEvents();
    EXPECT_EQ(pane.m_chart->geometry(), QRect(33, 8, 0, 0));
    // A chart with no area still takes its ticks.
    AddSeconds(chart(), 0, 3, 0.5, 0.5, 0.5);
    chart().AdvanceTo(1);
    chart().AdvanceTo(2);
    QApplication::processEvents();
    EXPECT_EQ(chart().Store().m_nLastSecond, 2u);
    EXPECT_EQ(LabelText(1041), "X:0.500000");
}

TEST(Instances, AreTheLiveChartPaneAndDialAndNullAfterThem) {
    {
        CMyStatic chart;
        EXPECT_EQ(CMyStatic::Instance(), &chart);
        CGSensesDlg pane;
        EXPECT_EQ(CGSensesDlg::Instance(), &pane);
        EXPECT_EQ(CMyStatic::Instance(), pane.m_chart);
        CSpeedStatic dial;
        EXPECT_EQ(CSpeedStatic::Instance(), &dial);
        EXPECT_EQ(dial.objectName(), "1023");
    }
    EXPECT_EQ(CMyStatic::Instance(), nullptr);
    EXPECT_EQ(CGSensesDlg::Instance(), nullptr);
    EXPECT_EQ(CSpeedStatic::Instance(), nullptr);
}

} // namespace
