// The video window with a core that renders for real. Under the offscreen platform, where
// widgets get no OpenGL, the window shows nothing and the clip still plays; the picture
// itself is checked when the tests run on a display (xvfb-run).
#include "PlaybackTestSupport.h"
#include "tests/support/Pixels.h"
#include "tests/support/Pump.h"

#include "playback/CNaviPlayWnd.h"
#include "playback/mivex.h"

#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QWindow>

#include <gtest/gtest.h>

#include <memory>

using namespace std::chrono_literals;
using playtest::Clip;
using playtest::PlayThread;
using testsupport::PumpFor;
using testsupport::PumpUntil;

namespace {

bool Offscreen() {
    return QGuiApplication::platformName() == QLatin1String("offscreen");
}

class VideoWindow : public ::testing::Test {
protected:
    void SetUp() override {
        mivex_configure(MivexOptions{.noAudio = true});
        ASSERT_EQ(mivex_open(&m_callbacks), 1);
        m_window.resize(320, 240);
        // Hidden, as the video pane keeps it until a clip opens.
        mivex_subclasswindow(&m_window);
    }
    void TearDown() override {
        mivex_unsubclasswindow(&m_window);
        mivex_close();
        mivex_configure(MivexOptions{.headless = true});
    }

    mivex_callbacks m_callbacks{};
    CNaviPlayWnd m_window;
};

TEST_F(VideoWindow, IsNamedNaviPlayWndAndShowsTheDarkBlueBackground) {
    EXPECT_EQ(m_window.objectName(), QStringLiteral("NaviPlayWnd"));
    m_window.show();
    const QImage picture = m_window.grab().toImage();
    EXPECT_EQ(picture.pixelColor(picture.width() / 2, picture.height() / 2), QColor(0, 0, 1));
}

TEST_F(VideoWindow, AClipPlaysWhetherOrNotTheWindowCanShowIt) {
    ASSERT_EQ(mivex_open_file(Clip("plain.MP4").c_str(), 0, 0), 1);
    EXPECT_EQ(m_window.HasRenderContext(), !Offscreen()) << "made while the window is hidden";
    m_window.show();
    PlayThread thread;
    ASSERT_TRUE(PumpUntil([] { return mivex_curr_play_time() > 0.5; }));
    mivex_stop();
    EXPECT_TRUE(thread.Finish());
}

// Samples the picture: how many points show the test picture's bright colour bars rather
// than the window's own dark blue.
int ColouredPoints(const QImage& picture) {
    return CountPixels(
        picture, [](QColor c) { return c.red() + c.green() + c.blue() > 200; }, picture.rect(), 8);
}

// What the X server shows in the video's own window, as a user would see it.
QImage Grab(CNaviPlayWnd& window) {
    return window.Surface() != nullptr
               ? QGuiApplication::primaryScreen()->grabWindow(window.Surface()->winId()).toImage()
               : QImage();
}

// Plays plain.MP4 into `window` once `shown` is on screen and returns a picture of it.
QImage PlayAndGrab(CNaviPlayWnd& window, QWidget& shown) {
    if (mivex_open_file(Clip("plain.MP4").c_str(), 0, 0) != 1) {
        ADD_FAILURE() << "the clip did not open";
        return {};
    }
    shown.show();
    window.show();
    PlayThread thread;
    EXPECT_TRUE(PumpUntil([] { return mivex_curr_play_time() > 0.5; }));
    PumpFor(100ms);
    const QImage picture = Grab(window);
    mivex_stop();
    EXPECT_TRUE(thread.Finish());
    return picture;
}

TEST_F(VideoWindow, ShowsTheClipsFrames) {
    if (Offscreen()) {
        GTEST_SKIP() << "no OpenGL for widgets on the offscreen platform";
    }
    EXPECT_GT(ColouredPoints(PlayAndGrab(m_window, m_window)), 100);
}

TEST_F(VideoWindow, ShowsTheFramesWhenItsTopLevelAppearsOnlyAfterTheOpen) {
    if (Offscreen()) {
        GTEST_SKIP() << "no OpenGL for widgets on the offscreen platform";
    }
    // Qt replaces the GL context made while the top-level was hidden once it is shown.
    mivex_unsubclasswindow(&m_window);
    QWidget topLevel;
    topLevel.resize(400, 300);
    CNaviPlayWnd child(&topLevel);
    child.setGeometry(10, 10, 320, 240);
    mivex_subclasswindow(&child);
    const int coloured = ColouredPoints(PlayAndGrab(child, topLevel));
    mivex_unsubclasswindow(&child);
    EXPECT_GT(coloured, 100);
}

TEST_F(VideoWindow, AWindowClosedWhileItsClipPlaysGoesCleanly) {
    if (Offscreen()) {
        GTEST_SKIP() << "no OpenGL for widgets on the offscreen platform";
    }
    // As the video pane goes: unhooked from the engine while playing, then deleted, which
    // takes its GL context with it. Built with the sanitizers, any use of the half-destroyed
    // surface stops the test.
    mivex_unsubclasswindow(&m_window);
    auto topLevel = std::make_unique<QWidget>();
    topLevel->resize(400, 300);
    auto* child = new CNaviPlayWnd(topLevel.get());
    child->setGeometry(10, 10, 320, 240);
    mivex_subclasswindow(child);
    ASSERT_EQ(mivex_open_file(Clip("plain.MP4").c_str(), 0, 0), 1);
    topLevel->show();
    child->show();
    PlayThread thread;
    ASSERT_TRUE(PumpUntil([] { return mivex_curr_play_time() > 0.5; }));
    ASSERT_TRUE(child->HasRenderContext());
    mivex_unsubclasswindow(child);
    topLevel.reset();
    mivex_stop();
    EXPECT_TRUE(thread.Finish());
}

// The frames are drawn apart from the window's thread: hidden a while as mpv goes on giving
// frames, then moved to another top-level (whose native window is made anew), the window
// draws the clip again, and the window's thread is never held up meanwhile.
TEST_F(VideoWindow, DrawsAgainAfterBeingHiddenAndMovedToAnotherTopLevel) {
    if (Offscreen()) {
        GTEST_SKIP() << "no OpenGL for widgets on the offscreen platform";
    }
    mivex_unsubclasswindow(&m_window);
    QWidget first;
    QWidget second;
    for (QWidget* topLevel : {&first, &second}) {
        topLevel->resize(400, 300);
    }
    auto* child = new CNaviPlayWnd(&first);
    child->setGeometry(10, 10, 320, 240);
    mivex_subclasswindow(child);
    ASSERT_EQ(mivex_open_file(Clip("plain.MP4").c_str(), 0, 0), 1);
    first.show();
    child->show();
    PlayThread thread;
    ASSERT_TRUE(PumpUntil([] { return mivex_curr_play_time() > 0.3; }));
    child->hide();
    const double hiddenAt = mivex_curr_play_time();
    PumpFor(400ms);
    EXPECT_GT(mivex_curr_play_time(), hiddenAt + 0.2) << "the clip stopped while hidden";
    child->setParent(&second);
    child->setGeometry(10, 10, 320, 240);
    second.show();
    child->show();
    EXPECT_TRUE(PumpUntil([&] { return ColouredPoints(Grab(*child)) > 100; }, 3s));
    mivex_unsubclasswindow(child);
    mivex_stop();
    EXPECT_TRUE(thread.Finish());
}

} // namespace
