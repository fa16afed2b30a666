// The engine's function interface on clips made for the run, headless (no picture, no
// sound), with the play thread behaving as the video pane's does.
#include "PlaybackTestSupport.h"
#include "tests/support/Pump.h"

#include "playback/MivexEngine.h"
#include "playback/MpvNames.h"
#include "playback/mivex.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QThread>

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <iostream>

using namespace std::chrono_literals;
using playtest::Clip;
using playtest::LineLog;
using playtest::PlayThread;
using testsupport::PumpFor;
using testsupport::PumpUntil;

namespace {

constexpr double kFrame = 0.1; // the clips run at 10 frames per second

void DoNothing() {}

class Mivex : public ::testing::Test {
protected:
    void SetUp() override {
        m_callbacks = {DoNothing, DoNothing, playtest::RecordLine, nullptr, &m_lines, nullptr};
        mivex_configure(MivexOptions{.headless = true});
        ASSERT_EQ(mivex_open(&m_callbacks), 1);
    }
    void TearDown() override { mivex_close(); }

    // Opens the clip as the video pane does: close the previous one first.
    int Open(const char* name) {
        mivex_close_file();
        return mivex_open_file(Clip(name).c_str(), 0, 0);
    }

    // Waits until the sought frame is shown; returns the position then.
    static double AfterSeek() {
        EXPECT_TRUE(PumpUntil([] { return !MivexEngine::Instance().Seeking(); }, 5s));
        return mivex_curr_play_time();
    }

    LineLog m_lines;
    mivex_callbacks m_callbacks{};
};

// ---------------------------------------------------------------- opening

TEST_F(Mivex, OpenReportsTheClipsSizeAndDurationAndLeavesItStopped) {
    QElapsedTimer timer;
    timer.start();
    ASSERT_EQ(Open("data.MP4"), 1);
    // open_file returns once the first frame is decoded: this is the open-to-first-frame time.
    std::cout << "[ measure  ] open to first frame: " << timer.elapsed() << " ms\n";
    EXPECT_EQ(mivex_video_width(), 320);
    EXPECT_EQ(mivex_video_height(), 240);
    EXPECT_NEAR(mivex_duration(), 4.0, kFrame);
    EXPECT_EQ(mivex_get_play_status(), kMivexStopped);
    EXPECT_EQ(mivex_curr_play_time(), 0.0);
}

TEST_F(Mivex, OpenFailsForAMissingFile) {
    ASSERT_EQ(Open("data.MP4"), 1);
    EXPECT_EQ(Open("no-such-clip.MP4"), 0);
    EXPECT_EQ(mivex_get_play_status(), kMivexStopped);
    EXPECT_EQ(mivex_play(0), 0) << "nothing is left loaded after a failed open";
}

TEST_F(Mivex, OpenFailsForTextFiles) {
    EXPECT_EQ(Open("notes.txt"), 0);
    EXPECT_EQ(Open("data.TXT"), 0) << "a camera's sidecar log is no clip";
    EXPECT_EQ(mivex_get_play_status(), kMivexStopped);
    EXPECT_EQ(mivex_open_file("", 0, 0), 0);
    EXPECT_EQ(mivex_open_file(nullptr, 0, 0), 0);
}

TEST_F(Mivex, AClipOpensAgainAfterAFailedOpen) {
    ASSERT_EQ(Open("notes.txt"), 0);
    ASSERT_EQ(Open("plain.MP4"), 1);
    EXPECT_EQ(mivex_video_width(), 320);
    EXPECT_NEAR(mivex_duration(), 3.0, kFrame);
}

// ---------------------------------------------------------------- play thread

TEST_F(Mivex, PlayThreadSeesStartedThenEndedAndStatusFollows) {
    ASSERT_EQ(Open("plain.MP4"), 1);
    ASSERT_EQ(mivex_set_play_speed(2), 1);
    PlayThread thread;
    ASSERT_TRUE(PumpUntil([&] { return thread.Started(); }));
    EXPECT_EQ(thread.PlayResult(), 1);
    EXPECT_EQ(mivex_get_play_status(), kMivexPlaying);
    ASSERT_TRUE(PumpUntil([] { return mivex_curr_play_time() > 0.5; }));
    EXPECT_FALSE(thread.Ended());
    ASSERT_TRUE(thread.Finish());
    EXPECT_EQ(thread.Events(), (std::vector<std::string>{"started", "ended"}));
    EXPECT_EQ(mivex_get_play_status(), kMivexStopped) << "stopped after the end";
    EXPECT_EQ(mivex_curr_play_time(), 0.0);
}

TEST_F(Mivex, PauseHoldsThePositionAndResumeGoesOn) {
    ASSERT_EQ(Open("data.MP4"), 1);
    EXPECT_EQ(mivex_pause(), 0) << "nothing plays yet";
    PlayThread thread;
    ASSERT_TRUE(PumpUntil([] { return mivex_curr_play_time() > 0.3; }));

    ASSERT_EQ(mivex_pause(), 1);
    EXPECT_EQ(mivex_get_play_status(), kMivexPaused);
    PumpFor(100ms);
    const double held = mivex_curr_play_time();
    PumpFor(400ms);
    EXPECT_EQ(mivex_curr_play_time(), held);
    EXPECT_FALSE(thread.Ended());

    ASSERT_EQ(mivex_resume(), 1);
    EXPECT_EQ(mivex_get_play_status(), kMivexPlaying);
    EXPECT_TRUE(PumpUntil([&] { return mivex_curr_play_time() > held + 0.2; }));

    ASSERT_EQ(mivex_stop(), 1);
    EXPECT_EQ(mivex_get_play_status(), kMivexStopped);
    EXPECT_TRUE(thread.Finish()) << "stop ends the play thread's wait";
    EXPECT_EQ(mivex_pause(), 0);
    EXPECT_EQ(mivex_resume(), 0);
}

TEST_F(Mivex, CloseWakesAWaitingPlayThread) {
    ASSERT_EQ(Open("data.MP4"), 1);
    PlayThread thread;
    ASSERT_TRUE(PumpUntil([&] { return thread.Started(); }));
    mivex_close();
    EXPECT_TRUE(thread.Finish(2s));
    EXPECT_EQ(mivex_get_play_status(), kMivexStopped);
}

TEST_F(Mivex, OpeningTheNextClipEndsThePreviousPlayThread) {
    ASSERT_EQ(Open("data.MP4"), 1);
    PlayThread first;
    ASSERT_TRUE(PumpUntil([&] { return first.Started(); }));
    ASSERT_EQ(Open("plain.MP4"), 1);
    EXPECT_TRUE(first.Finish(2s));
    // The new clip is loaded and waits for its own play thread.
    EXPECT_EQ(mivex_get_play_status(), kMivexStopped);
    PlayThread second;
    ASSERT_TRUE(PumpUntil([&] { return second.Started(); }));
    EXPECT_EQ(mivex_get_play_status(), kMivexPlaying);
    PumpFor(300ms);
    EXPECT_FALSE(second.Ended());
    mivex_stop();
    EXPECT_TRUE(second.Finish());
}

// ---------------------------------------------------------------- seeking and speed

TEST_F(Mivex, SeekLandsOnTheAskedFrameNotOnAKeyframe) {
    // data.MP4 has a single keyframe, at 0 s: a keyframe seek would land there.
    ASSERT_EQ(Open("data.MP4"), 1);
    PlayThread thread;
    ASSERT_TRUE(PumpUntil([&] { return thread.Started(); }));
    ASSERT_EQ(mivex_pause(), 1);
    ASSERT_EQ(mivex_seek_to(0.5), 1);
    EXPECT_NEAR(AfterSeek(), 2.0, kFrame / 2);
    ASSERT_EQ(mivex_seek_to(0.725), 1);
    EXPECT_NEAR(AfterSeek(), 2.9, kFrame / 2);
    mivex_stop();
}

TEST_F(Mivex, SeekRefusesFractionsOutsideTheClipAndStoppedClips) {
    EXPECT_EQ(mivex_seek_to(0.5), 0) << "no clip";
    ASSERT_EQ(Open("data.MP4"), 1);
    EXPECT_EQ(mivex_seek_to(-0.1), 0);
    EXPECT_EQ(mivex_seek_to(1.5), 0);
    EXPECT_EQ(mivex_seek_to(std::nan("")), 0);
}

TEST_F(Mivex, FrameStepMovesOneFrameEitherWayOnlyWhilePaused) {
    EXPECT_EQ(mivex_frame_step(1), 0) << "no clip";
    ASSERT_EQ(Open("data.MP4"), 1);
    PlayThread thread;
    ASSERT_TRUE(PumpUntil([&] { return thread.Started(); }));
    EXPECT_EQ(mivex_frame_step(1), 0) << "playing";
    ASSERT_EQ(mivex_pause(), 1);
    ASSERT_EQ(mivex_seek_to(0.5), 1);
    ASSERT_NEAR(AfterSeek(), 2.0, kFrame / 2);

    // At 10 frames per second one frame is 0.1 s.
    ASSERT_EQ(mivex_frame_step(1), 1);
    EXPECT_TRUE(PumpUntil([] { return std::fabs(mivex_curr_play_time() - 2.1) < kFrame / 2; }))
        << mivex_curr_play_time();
    EXPECT_EQ(mivex_get_play_status(), kMivexPaused);
    ASSERT_EQ(mivex_frame_step(0), 1);
    EXPECT_TRUE(PumpUntil([] { return std::fabs(mivex_curr_play_time() - 2.0) < kFrame / 2; }))
        << mivex_curr_play_time();
    PumpFor(300ms);
    EXPECT_NEAR(mivex_curr_play_time(), 2.0, kFrame / 2) << "still paused after the steps";
    mivex_stop();
}

TEST_F(Mivex, EverySpeedOfTheSpeedTableIsTakenAndNoOtherSpeed) {
    for (const float factor : {0.125f, 0.25f, 0.5f, 1.0f, 2.0f, 4.0f, 8.0f}) {
        EXPECT_EQ(mivex_set_play_speed(factor), 1) << factor;
        double speed = 0;
        ASSERT_GE(mpv_get_property(MivexEngine::Instance().Core(), mpvname::kSpeed,
                                   MPV_FORMAT_DOUBLE, &speed),
                  0);
        EXPECT_EQ(speed, factor);
    }
    for (const float factor : {0.0f, 0.1f, 9.0f, -1.0f, std::nanf("")}) {
        EXPECT_EQ(mivex_set_play_speed(factor), 0) << factor;
    }
}

TEST_F(Mivex, SlowSpeedSlowsThePlayback) {
    ASSERT_EQ(Open("data.MP4"), 1);
    ASSERT_EQ(mivex_set_play_speed(0.125f), 1);
    PlayThread thread;
    ASSERT_TRUE(PumpUntil([&] { return thread.Started(); }));
    QElapsedTimer wall;
    wall.start();
    PumpFor(800ms);
    // A busy machine can only make the clip lag further behind, never get ahead.
    EXPECT_LT(mivex_curr_play_time(), wall.elapsed() / 1000.0 / 2);
    mivex_stop();
    mivex_set_play_speed(1);
}

// ---------------------------------------------------------------- data lines

std::vector<std::string> SidecarTrackLines() {
    std::ifstream sidecar(Clip("data.TXT"));
    std::vector<std::string> lines;
    std::string line;
    for (int ms = 0; std::getline(sidecar, line); ms += 1000) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back("T:" + std::to_string(ms) + " " + line);
    }
    return lines;
}

TEST_F(Mivex, DataLinesArriveInOrderOnTheUiThreadAsPlaybackReachesThem) {
    ASSERT_EQ(Open("data.MP4"), 1);
    ASSERT_EQ(mivex_set_play_speed(2), 1);
    PlayThread thread;
    ASSERT_TRUE(PumpUntil([&] { return m_lines.lines.size() >= 2; }));
    EXPECT_LT(m_lines.lines.size(), 4u) << "lines come as playback reaches them, not at once";
    ASSERT_TRUE(thread.Finish());
    PumpFor(100ms);
    EXPECT_EQ(m_lines.lines, SidecarTrackLines());
    EXPECT_TRUE(m_lines.allOnUiThread);
}

TEST_F(Mivex, CuesRepeatedSplitOrWithoutDataGiveTheirLinesOnce) {
    ASSERT_EQ(Open("cues.MP4"), 1);
    ASSERT_EQ(mivex_set_play_speed(2), 1);
    PlayThread thread;
    ASSERT_TRUE(thread.Finish());
    PumpFor(100ms);
    EXPECT_EQ(m_lines.lines, (std::vector<std::string>{
                                 "T:0 $GPRMC,A*00",
                                 "T:1000 $GPRMC,A*00",
                                 "T:2000 first",
                                 "T:2500 second",
                             }));
}

TEST_F(Mivex, AClipWithoutADataStreamGivesNoLines) {
    ASSERT_EQ(Open("plain.MP4"), 1);
    ASSERT_EQ(mivex_set_play_speed(4), 1);
    PlayThread thread;
    ASSERT_TRUE(thread.Finish());
    PumpFor(100ms);
    EXPECT_TRUE(m_lines.lines.empty());
}

TEST_F(Mivex, LinesOfAClosedClipAreNotDelivered) {
    // Opening shows the first frame, which reaches the first cue: its line is queued then.
    ASSERT_EQ(Open("data.MP4"), 1);
    PumpFor(200ms);
    ASSERT_EQ(m_lines.lines, std::vector<std::string>{SidecarTrackLines().front()});
    m_lines.lines.clear();

    // The same line queued again, but the clip is closed before the UI thread gets to it.
    ASSERT_EQ(Open("data.MP4"), 1);
    mivex_close_file();
    PumpFor(200ms);
    EXPECT_TRUE(m_lines.lines.empty());
}

// ---------------------------------------------------------------- snapshots

double MeanDifference(const QImage& a, const QImage& b) {
    double total = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            total += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
                     std::abs(qBlue(p) - qBlue(q));
        }
    }
    return total / (3.0 * a.width() * a.height());
}

QImage FfmpegFrame(double seconds) {
    const QString png = playtest::ClipDir() + QStringLiteral("/ref-%1.png").arg(seconds);
    EXPECT_EQ(
        playtest::Run(QStringLiteral("ffmpeg"), {"-v", "error", "-nostdin", "-y", "-i",
                                                 QString::fromStdString(Clip("data.MP4")), "-ss",
                                                 QString::number(seconds), "-frames:v", "1", png}),
        0);
    return QImage(png).convertToFormat(QImage::Format_RGB32);
}

TEST_F(Mivex, SnapshotIsTheShownFrameAtTheVideosSize) {
    ASSERT_EQ(Open("data.MP4"), 1);
    PlayThread thread;
    ASSERT_TRUE(PumpUntil([&] { return thread.Started(); }));
    ASSERT_EQ(mivex_pause(), 1);
    ASSERT_EQ(mivex_seek_to(0.5), 1);
    ASSERT_NEAR(AfterSeek(), 2.0, kFrame / 2);

    const std::string path = (playtest::ClipDir() + QStringLiteral("/shot.bmp")).toStdString();
    ASSERT_EQ(mivex_grab_frame(path.c_str()), 1);
    QImage shot(QString::fromStdString(path), "BMP");
    ASSERT_FALSE(shot.isNull());
    EXPECT_EQ(shot.size(), QSize(320, 240));
    shot = shot.convertToFormat(QImage::Format_RGB32);

    const double same = MeanDifference(shot, FfmpegFrame(2.0));
    const double other = MeanDifference(shot, FfmpegFrame(0.5));
    EXPECT_LT(same, 6.0) << "the frame at 2.0 s, up to colour conversion";
    EXPECT_GT(other, same * 2) << "and not a frame from elsewhere";
    mivex_stop();
}

TEST_F(Mivex, NoSnapshotWithoutAClip) {
    const std::string path = (playtest::ClipDir() + QStringLiteral("/none.bmp")).toStdString();
    EXPECT_EQ(mivex_grab_frame(path.c_str()), 0);
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(path)));
}

} // namespace
