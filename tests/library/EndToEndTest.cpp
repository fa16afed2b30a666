// The real player in a virtual X server, given three clips of one colour each on the
// command line: when the first ends, the second starts by itself.
#include <QImage>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <sys/wait.h>

namespace {

std::string RunCommand(const std::string& command, int* status) {
    std::string out;
    FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr) {
        *status = -1;
        return out;
    }
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        out.append(buffer, n);
    }
    const int raw = ::pclose(pipe);
    *status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return out;
}

std::string MakeClip(const std::string& name, const char* colour, int seconds) {
    const std::string path = ::testing::TempDir() + name;
    int status = 0;
    const std::string out =
        RunCommand(std::string(OSTVIK_PYTHON) + " " + OSTVIK_MKCLIP + " '" + path + "' --seconds " +
                       std::to_string(seconds) + " --colour " + colour,
                   &status);
    EXPECT_EQ(status, 0) << out;
    return path;
}

// The share of sampled pixels in `region` that are plainly green.
double GreenShare(const QImage& image, const QRect& region) {
    int green = 0;
    int all = 0;
    for (int y = region.top(); y <= region.bottom(); y += 4) {
        for (int x = region.left(); x <= region.right(); x += 4) {
            const QColor c = image.pixelColor(x, y);
            green += c.green() > 160 && c.red() < 90 && c.blue() < 90;
            ++all;
        }
    }
    return all > 0 ? static_cast<double>(green) / all : 0.0;
}

TEST(EndToEnd, SecondClipStartsByItselfWhenTheFirstEnds) {
    const std::string red = MakeClip("e2e-1-red.MP4", "red", 2);
    // Long enough to be still playing however slowly the machine starts the player; a
    // sanitizer build starts the browser engine several times slower still.
    const std::string green = MakeClip("e2e-2-green.MP4", "0x00ff00", 40 * OSTVIK_SLOWDOWN);
    const std::string blue = MakeClip("e2e-3-blue.MP4", "blue", 2);
    const std::string grab = ::testing::TempDir() + "ostvik-e2e.png";
    std::remove(grab.c_str());

    int status = 0;
    const std::string out = RunCommand(
        std::string(OSTVIK_XVFB_RUN) + " -a -s '-screen 0 1280x800x24' " + OSTVIK_PLAYER +
            " --no-audio --quit-after " + std::to_string(12000 * OSTVIK_SLOWDOWN) + " --grab '" +
            grab + "' '" + red + "' '" + green + "' '" + blue + "'",
        &status);
    ASSERT_EQ(status, 0) << out;
    EXPECT_NE(out.find("clip " + green + "\n"), std::string::npos) << out;

    const QImage window(QString::fromStdString(grab));
    ASSERT_FALSE(window.isNull());
    // The picture sits in the upper middle of the video pane, on the left of the window.
    const QRect picture(window.width() / 8, window.height() / 6, window.width() / 3,
                        window.height() / 3);
    EXPECT_GT(GreenShare(window, picture), 0.5) << "the second clip is not shown";
}

} // namespace
