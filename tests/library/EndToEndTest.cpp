// The real player in a virtual X server, given three clips of one colour each on the
// command line: when the first ends, the second starts by itself.
#include "tests/support/ClipMaker.h"
#include "tests/support/Pixels.h"
#include "tests/support/PlayerRun.h"

#include <QImage>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

std::string ColourClip(const std::string& name, const char* colour, int seconds) {
    const std::string path = ::testing::TempDir() + name;
    const ToolRun made =
        MakeClip(path, "--seconds " + std::to_string(seconds) + " --colour " + colour);
    EXPECT_EQ(made.status, 0) << made.out << made.err;
    return path;
}

// The share of sampled pixels in `region` that are plainly green.
double GreenShare(const QImage& image, const QRect& region) {
    const int green = CountPixels(
        image, [](QColor c) { return c.green() > 160 && c.red() < 90 && c.blue() < 90; }, region,
        4);
    const int all = CountPixels(
        image, [](QColor) { return true; }, region, 4);
    return all > 0 ? static_cast<double>(green) / all : 0.0;
}

TEST(EndToEnd, SecondClipStartsByItselfWhenTheFirstEnds) {
    const std::string red = ColourClip("e2e-1-red.MP4", "red", 2);
    // Long enough to be still playing however slowly the machine starts the player; a
    // sanitizer build starts the browser engine several times slower still.
    const std::string green = ColourClip("e2e-2-green.MP4", "0x00ff00", 40 * OSTVIK_SLOWDOWN);
    const std::string blue = ColourClip("e2e-3-blue.MP4", "blue", 2);
    const std::string grab = ::testing::TempDir() + "ostvik-e2e.png";
    std::remove(grab.c_str());

    const ToolRun run = RunPlayer({red, green, blue}, 12000 * OSTVIK_SLOWDOWN, grab);
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_NE(run.out.find("clip " + green + "\n"), std::string::npos) << run.out;

    const QImage window(QString::fromStdString(grab));
    ASSERT_FALSE(window.isNull());
    // The picture sits in the upper middle of the video pane, on the left of the window.
    const QRect picture(window.width() / 8, window.height() / 6, window.width() / 3,
                        window.height() / 3);
    EXPECT_GT(GreenShare(window, picture), 0.5) << "the second clip is not shown";
}

} // namespace
