// Starts the real player in a virtual X server on a generated clip, lets it play, and
// looks at the picture of its window.
#include "tests/support/Pixels.h"
#include "tests/support/PlayerRun.h"

#include <QColor>
#include <QImage>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// How many distinct colours a region holds: the test picture's bars, gradients and noise
// give many, an empty video window one.
int DistinctColours(const QImage& image, const QRect& region) {
    QList<QRgb> seen;
    for (int y = region.top(); y <= region.bottom(); y += 3) {
        for (int x = region.left(); x <= region.right(); x += 3) {
            const QRgb pixel = image.pixel(x, y);
            if (!seen.contains(pixel)) {
                seen.append(pixel);
                if (seen.size() > 200) {
                    return static_cast<int>(seen.size());
                }
            }
        }
    }
    return static_cast<int>(seen.size());
}

int CountColour(const QImage& image, const QRect& region, QRgb colour) {
    return CountPixels(
        image, [&](QColor c) { return c == QColor(colour); }, region);
}

TEST(PlayerWindow, PlaysTheClipAndMovesTheTimeTheChartAndTheDial) {
    const std::string grab = ::testing::TempDir() + "ostvik-window.png";
    std::remove(grab.c_str());
    const ToolRun run = RunPlayer({std::string(OSTVIK_TESTDATA) + "/drive.MP4"}, 8000, grab);
    ASSERT_EQ(run.status, 0) << run.out;
    // The web engine's low-memory settings agree with each other: its script engine has
    // nothing to warn of in the terminal.
    EXPECT_EQ(run.out.find("Warning:"), std::string::npos) << run.out;

    const size_t at = run.out.find("time ");
    ASSERT_NE(at, std::string::npos) << run.out;
    const std::string label = run.out.substr(at + 5, 17);
    EXPECT_EQ(label.substr(8), "/00:00:12") << label;
    const int second = std::stoi(label.substr(6, 2));
    EXPECT_GE(second, 5) << label;

    // The video window's size, for a benchmark to give another player the same: drive.MP4
    // is 320 x 240, so 4:3 up to the rounding of each side, inside the 800 x 600 window.
    int videoWidth = 0;
    int videoHeight = 0;
    const size_t video = run.out.find("\nvideo ");
    ASSERT_NE(video, std::string::npos) << run.out;
    ASSERT_EQ(std::sscanf(run.out.c_str() + video, "\nvideo %dx%d", &videoWidth, &videoHeight), 2)
        << run.out;
    EXPECT_GT(videoWidth, 200);
    EXPECT_LE(videoWidth, 800);
    EXPECT_LE(videoHeight, 600);
    EXPECT_LE(std::abs(videoWidth * 3 - videoHeight * 4), 4) << videoWidth << "x" << videoHeight;

    QImage window(QString::fromStdString(grab));
    ASSERT_FALSE(window.isNull());
    // The video pane fills the left half of the window under the title band; its picture
    // sits in the upper part.
    const QRect picture(window.width() / 8, window.height() / 6, window.width() / 3,
                        window.height() / 3);
    EXPECT_GT(DistinctColours(window, picture), 8) << "no video in the window";

    // The G-sensor pane, right, under the map and over the dial, has grown the three
    // curves in their colours.
    const int right = window.width() * 66 / 100;
    const QRect chart(right, window.height() * 55 / 100, window.width() - right,
                      window.height() * 45 / 100 - 122);
    EXPECT_GT(CountColour(window, chart, qRgb(0, 0, 200)), 10) << "no X curve";
    EXPECT_GT(CountColour(window, chart, qRgb(200, 0, 0)), 10) << "no Y curve";
    EXPECT_GT(CountColour(window, chart, qRgb(0, 200, 0)), 10) << "no Z curve";

    // The dial, 272 x 110 at (W - 280, H - 118): its red needle has left its rest position,
    // whose tip is at (76, 69), for the speed of the drive.
    const QPoint dial(window.width() - 280, window.height() - 118);
    const QRgb red = qRgb(255, 0, 0);
    EXPECT_NE(window.pixel(dial + QPoint(76, 69)) & 0xFFFFFF, red & 0xFFFFFF);
    EXPECT_NE(window.pixel(dial + QPoint(80, 64)) & 0xFFFFFF, red & 0xFFFFFF);
    EXPECT_GT(CountColour(window, QRect(dial + QPoint(66, 19), QSize(57, 57)), red), 10)
        << "no needle";
}

// Pure red pixels of the map pane, top right over the G-sensor pane: the road the marker
// has left behind; the player's output goes with a failure.
int RoadPixels(const std::string& clip, int milliseconds, std::string* out) {
    const std::string grab =
        ::testing::TempDir() + "ostvik-map-" + std::to_string(milliseconds) + ".png";
    std::remove(grab.c_str());
    const ToolRun run = RunPlayer({clip}, milliseconds, grab);
    EXPECT_EQ(run.status, 0) << run.out;
    *out += run.out;
    QImage window(QString::fromStdString(grab));
    if (window.isNull()) {
        ADD_FAILURE() << "no picture of the window";
        return -1;
    }
    // The map takes the right third of the window from under the 32-pixel title band down to
    // 55 % of its height; looked at inside an 8-pixel margin.
    const int right = window.width() * 66 / 100;
    const QRect map(right + 8, 32 + 8, window.width() - right - 20,
                    window.height() * 55 / 100 - 32 - 16);
    return CountColour(window, map, qRgb(255, 0, 0));
}

TEST(PlayerWindow, RedRoadAppearsInTheMapAndGrowsWithPlay) {
    // Both pictures fall inside the 12-second clip, however late its playback starts.
    const std::string clip = std::string(OSTVIK_TESTDATA) + "/drive.MP4";
    std::string out;
    const int early = RoadPixels(clip, 5000, &out);
    const int late = RoadPixels(clip, 11000, &out);
    EXPECT_GT(late, 30) << "no road in the map pane\n" << out;
    EXPECT_GT(late, early) << "the road did not grow\n" << out;
}

} // namespace
