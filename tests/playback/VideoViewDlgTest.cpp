// The video pane driving the real engine, headless, with what it announces to the main
// window and the playlist recorded.
#include "PlaybackTestSupport.h"

#include "tests/support/Pump.h"

#include "instruments/CMyStatic.h"
#include "instruments/CSpeedStatic.h"
#include "playback/CMySliderCtrl.h"
#include "playback/CSoundOutputVolumeImpl.h"
#include "playback/CVideoViewDlg.h"
#include "track/CGSampleStore.h"
#include "track/CMapTrackStore.h"
#include "track/CSpeedDialModel.h"
#include "track/SnapshotFacts.h"

#include <QApplication>
#include <QCheckBox>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QRegularExpression>
#include <QSlider>
#include <QStandardPaths>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <thread>

using namespace playtest;
using testsupport::PumpFor;
using testsupport::PumpUntil;
using namespace std::chrono_literals;

namespace {

// What the window's twins of the transport and the playlist hear from the pane.
struct TransportRecord {
    std::vector<bool> faces;
    int progressRange = -1;
    int progressPosition = -1;
    QString timeText;
    int next = 0, prev = 0, current = 0;

    void Listen(CVideoViewDlg* pane) {
        QObject::connect(pane, &CVideoViewDlg::playFaceShown,
                         [this](bool playFace) { faces.push_back(playFace); });
        QObject::connect(pane, &CVideoViewDlg::progressRangeChanged,
                         [this](int maximum) { progressRange = maximum; });
        QObject::connect(pane, &CVideoViewDlg::progressPositionChanged,
                         [this](int position) { progressPosition = position; });
        QObject::connect(pane, &CVideoViewDlg::timeTextChanged,
                         [this](const QString& text) { timeText = text; });
        QObject::connect(pane, &CVideoViewDlg::nextClipAsked, [this] { ++next; });
        QObject::connect(pane, &CVideoViewDlg::previousClipAsked, [this] { ++prev; });
        QObject::connect(pane, &CVideoViewDlg::currentClipAsked, [this] { ++current; });
        // The playlist moves on from a clip played out as from Next.
        QObject::connect(pane, &CVideoViewDlg::clipPlayedOut, [this] { ++next; });
    }
};

// The chart and the dial a test made follow the pane, as the window's do.
void FollowWithInstruments(CVideoViewDlg* pane) {
    QObject::connect(pane, &CVideoViewDlg::secondShown, [](unsigned second) {
        if (CMyStatic* chart = CMyStatic::Instance()) {
            chart->AdvanceTo(second);
        }
        if (CSpeedStatic* dial = CSpeedStatic::Instance()) {
            dial->ShowSpeedAt(static_cast<int>(second));
        }
    });
}

class VideoPane : public ::testing::Test {
protected:
    void SetUp() override {
        ClipDir();
        MivexOptions options;
        options.headless = true;
        pane = std::make_unique<CVideoViewDlg>(nullptr, options);
        pane->SetClock([this] { return now; });
        heard.Listen(pane.get());
        // As the window's panes follow it, so the chart and dial of a test follow the pane.
        FollowWithInstruments(pane.get());
        pane->resize(808, 572);
        pane->show();
        connect(pane.get());
    }
    void TearDown() override { pane.reset(); }
    void connect(CVideoViewDlg* view) {
        QObject::connect(view, &CVideoViewDlg::clipStarted, [this] { ++started; });
        QObject::connect(view, &CVideoViewDlg::clipEnded, [this] { ++ended; });
    }
    bool OpenAndStart(const char* clip = "data.MP4") {
        const int before = started;
        return pane->OpenClip(QString::fromStdString(Clip(clip))) &&
               PumpUntil([&] { return started > before; });
    }

    TransportRecord heard;
    std::unique_ptr<CVideoViewDlg> pane;
    uint32_t now = 100000;
    int started = 0;
    int ended = 0;
};

TEST_F(VideoPane, SecondOpenWithinASecondIsRefused) {
    const QString clip = QString::fromStdString(Clip("data.MP4"));
    ASSERT_TRUE(pane->OpenClip(clip));
    now += 999;
    EXPECT_FALSE(pane->OpenClip(clip));
    now += 1;
    EXPECT_TRUE(pane->OpenClip(clip));
}

TEST_F(VideoPane, FailedOpenLeavesTheDisplayAsItWas) {
    EXPECT_FALSE(pane->OpenClip(QString::fromStdString(Clip("notes.txt"))));
    EXPECT_FALSE(pane->VideoWindow()->isVisibleTo(pane.get()));
    EXPECT_EQ(pane->TimeLabel()->text(), "00:00:00/00:00:00");
    EXPECT_FALSE(pane->TickRunning());
}

TEST_F(VideoPane, StartedClipSetsRangesTotalAndTheTick) {
    pane->SpeedSlider()->setValue(6);
    ASSERT_TRUE(OpenAndStart());
    EXPECT_EQ(pane->SpeedSlider()->value(), 3); // every open plays at normal speed
    EXPECT_EQ(heard.progressRange, 4000);
    EXPECT_EQ(pane->TotalText(), "00:00:04");
    EXPECT_TRUE(pane->TickRunning());
    ASSERT_FALSE(heard.faces.empty());
    EXPECT_FALSE(heard.faces.back()); // the pause face while playing
    EXPECT_TRUE(pane->VideoWindow()->isVisibleTo(pane.get()));
    EXPECT_FALSE(pane->Logo()->isVisibleTo(pane.get()));
}

// Seconds 0 to 3 of the 4 s clip: a level chart line each, and speeds 10, 20, 30, 40.
void FillFourSeconds(CMyStatic& chart, CSpeedStatic& dial) {
    for (int s = 0; s < 4; ++s) {
        dial.SetSpeedRecord(s, 10 * (s + 1), 0);
        chart.AddTrackLine(("T:" + std::to_string(s * 1000) + " X:0 Y:0 Z:1 G:0").c_str());
    }
}

TEST_F(VideoPane, TickHandsTheSameSecondToTheChartAndTheDial) {
    CMyStatic chart;
    CSpeedStatic dial;
    FillFourSeconds(chart, dial);
    ASSERT_TRUE(OpenAndStart());
    ASSERT_TRUE(PumpUntil([&] { return pane->CurrentText() == "00:00:01"; }));
    EXPECT_EQ(dial.Model().m_nSpeed, 20); // second 1's record
    EXPECT_EQ(chart.Store().m_nLastSecond, 1u);
    ASSERT_TRUE(PumpUntil([&] { return pane->CurrentText() == "00:00:02"; }));
    EXPECT_EQ(dial.Model().m_nSpeed, 30);
    EXPECT_EQ(chart.Store().m_nLastSecond, 2u);
    EXPECT_EQ(heard.timeText, "00:00:02/00:00:04");
    EXPECT_EQ(pane->TimeLabel()->text(), "00:00:02/00:00:04");
}

TEST_F(VideoPane, ClipPlayedToItsEndMovesOnOnce) {
    ASSERT_TRUE(OpenAndStart());
    ASSERT_TRUE(PumpUntil([&] { return ended == 1; }, 15s));
    EXPECT_EQ(heard.next, 1);
    EXPECT_TRUE(pane->CurrentText().isEmpty());
    EXPECT_EQ(heard.timeText, "00:00:00/00:00:00");
    EXPECT_EQ(heard.progressRange, 0);
    EXPECT_TRUE(heard.faces.back());
}

// At 8x a 4-second clip lasts half a second, about one tick, so the last second shown can
// lie seconds before the end: what moves on is the engine's end of file.
TEST_F(VideoPane, AClipPlayedOutAtEightTimesMovesOn) {
    ASSERT_TRUE(pane->OpenClip(QString::fromStdString(Clip("data.MP4"))));
    pane->SetSpeed(8.0f);
    // No tick runs while the UI thread sleeps; the engine plays on to the end meanwhile.
    std::this_thread::sleep_for(1500ms);
    ASSERT_TRUE(PumpUntil([&] { return ended == 1; }, 15s));
    EXPECT_EQ(heard.next, 1);
}

TEST_F(VideoPane, StoppedClipDoesNotMoveOn) {
    ASSERT_TRUE(OpenAndStart());
    pane->StopClip();
    EXPECT_FALSE(pane->TickRunning());
    EXPECT_FALSE(pane->VideoWindow()->isVisibleTo(pane.get()));
    EXPECT_EQ(heard.progressRange, 0);
    ASSERT_TRUE(PumpUntil([&] { return ended == 1; }));
    EXPECT_EQ(heard.next, 0);
    EXPECT_EQ(mivex_get_play_status(), 4);
}

TEST_F(VideoPane, AStopNearTheEndDoesNotMoveOnWhenThePlayThreadEnds) {
    ASSERT_TRUE(OpenAndStart());
    ASSERT_TRUE(PumpUntil([&] { return pane->CurrentText() == "00:00:03"; }));
    pane->StopClip(); // 1 s before the end of the 4 s clip: the user's stop, not the clip's end
    ASSERT_TRUE(PumpUntil([&] { return ended == 1; }));
    EXPECT_EQ(heard.next, 0);
}

// The pane's progress slider, reached the way a user reaches it; data.MP4 lasts 4 s.
class ProgressSlider : public VideoPane {
protected:
    // Plays until the tick shows second 2, so that a seek back to the start is seen as the
    // time text "00:00:00", which playing on never shows again.
    void PlayToSecondTwo() {
        ASSERT_TRUE(OpenAndStart());
        ASSERT_TRUE(PumpUntil([&] { return pane->CurrentText() == "00:00:02"; }));
    }
    bool BackAtTheStart() {
        return PumpUntil([&] { return pane->CurrentText() == "00:00:00"; }, 5s);
    }
    void Mouse(QEvent::Type type, QPoint at) {
        CMySliderCtrl* slider = pane->ProgressSlider();
        const Qt::MouseButtons held =
            type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
        const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, QPointF(at), QPointF(slider->mapToGlobal(at)), button, held,
                          Qt::NoModifier);
        QApplication::sendEvent(slider, &event);
    }
};

TEST_F(ProgressSlider, TheHomeKeySeeksToTheStart) {
    PlayToSecondTwo();
    QKeyEvent home(QEvent::KeyPress, Qt::Key_Home, Qt::NoModifier);
    QApplication::sendEvent(pane->ProgressSlider(), &home);
    EXPECT_TRUE(BackAtTheStart());
}

TEST_F(ProgressSlider, TheWheelSeeksBack) {
    PlayToSecondTwo();
    // One notch back: three steps of a second, from between 2 and 3 s to the start.
    CMySliderCtrl* slider = pane->ProgressSlider();
    const QPointF at = slider->rect().center();
    QWheelEvent wheel(at, slider->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(slider, &wheel);
    EXPECT_TRUE(BackAtTheStart());
}

TEST_F(ProgressSlider, TheTickLeavesAHeldHandleWhereTheUserPutIt) {
    PlayToSecondTwo();
    const QRect channel = pane->ProgressSlider()->ChannelRect();
    const QPoint at(channel.left() + 2, channel.center().y());
    Mouse(QEvent::MouseButtonPress, at);
    const int chosen = pane->ProgressSlider()->value();
    ASSERT_LT(chosen, 1000);
    // Two more ticks while the button is held.
    ASSERT_TRUE(PumpUntil([&] { return pane->CurrentText() == "00:00:03"; }));
    EXPECT_EQ(pane->ProgressSlider()->value(), chosen);
    Mouse(QEvent::MouseButtonRelease, at);
    EXPECT_TRUE(BackAtTheStart());
}

// Paused, a click at 5/8 of the channel of the 4 s clip chooses about 2.5 s: ClickPosition
// lands 1/step - 1 ms low, step = channel width / 4000 ms, about 9 ms for the pane's some
// 440 px, so 2.49 s, shown as 2.4 at once. The arrow keys' 2 s back then gives 0.49 s.
TEST_F(ProgressSlider, PausedAClickSeeksAndEverythingFollowsAtOnce) {
    CMyStatic chart;
    CSpeedStatic dial;
    FillFourSeconds(chart, dial);
    ASSERT_TRUE(OpenAndStart());
    pane->TogglePlayPause();
    const QRect channel = pane->ProgressSlider()->ChannelRect();
    ASSERT_GT(channel.width(), 400);
    const QPoint at(channel.left() + channel.width() * 5 / 8, channel.center().y());
    Mouse(QEvent::MouseButtonPress, at);
    Mouse(QEvent::MouseButtonRelease, at);
    EXPECT_EQ(pane->TimeLabel()->text(), "00:00:02.4/00:00:04");
    EXPECT_EQ(heard.timeText, "00:00:02.4/00:00:04");
    EXPECT_EQ(chart.Store().m_nLastSecond, 2u);
    EXPECT_EQ(dial.Model().m_nSpeed, 30); // second 2's record, as the chart's
    EXPECT_TRUE(PumpUntil([] { return std::abs(mivex_curr_play_time() - 2.49) < 0.1; }));
    EXPECT_EQ(mivex_get_play_status(), kMivexPaused);

    ASSERT_TRUE(pane->SeekBySeconds(-2.0));
    EXPECT_EQ(pane->TimeLabel()->text(), "00:00:00.4/00:00:04");
    EXPECT_EQ(chart.Store().m_nLastSecond, 0u);
}

// The handle follows the mouse to 5/8 of the channel, about 2.5 s of the 4 s clip (the
// handle's own width shifts the scale a little), and the paused picture follows on release.
TEST_F(ProgressSlider, PausedADraggedHandleFollowsTheMouseAndSeeksOnRelease) {
    ASSERT_TRUE(OpenAndStart());
    pane->TogglePlayPause();
    CMySliderCtrl* slider = pane->ProgressSlider();
    // The skin's slider: a groove thinner than the handle that overhangs it.
    slider->setStyleSheet("QSlider::groove:horizontal { height: 4px; }"
                          "QSlider::handle:horizontal { width: 12px; margin: -5px 0; }");
    const QRect channel = slider->ChannelRect();
    const QPoint to(channel.left() + channel.width() * 5 / 8, channel.center().y());
    Mouse(QEvent::MouseButtonPress, slider->ThumbRect().center());
    Mouse(QEvent::MouseMove, to);
    EXPECT_NEAR(slider->value(), 2500, 150);
    Mouse(QEvent::MouseButtonRelease, to);
    EXPECT_NEAR(slider->value(), 2500, 150);
    const double chosen = slider->value() / 1000.0;
    EXPECT_TRUE(PumpUntil([&] { return std::abs(mivex_curr_play_time() - chosen) < 0.1; }));
    PumpFor(600ms); // a tick
    EXPECT_NEAR(slider->value(), 2500, 150);
}

// A frame step moves the paused picture without a seek; the time follows as soon as the
// engine shows the frame, well before the next 500 ms tick.
TEST_F(ProgressSlider, PausedTheTimeShowsTenthsAndFollowsAFrameStepAtOnce) {
    ASSERT_TRUE(OpenAndStart());
    ASSERT_TRUE(PumpUntil([&] { return pane->CurrentText() == "00:00:01"; }));
    pane->TogglePlayPause();
    EXPECT_TRUE(
        QRegularExpression("^00:00:01\\.\\d/00:00:04$").match(pane->TimeLabel()->text()).hasMatch())
        << pane->TimeLabel()->text().toStdString();
    ASSERT_TRUE(pane->SeekToFraction(0.5)); // 2.0 s
    PumpFor(300ms);
    ASSERT_TRUE(pane->StepFrame(true));
    // 10 fps: the next frame lies at 2.1 s, give or take the clip's time base.
    ASSERT_TRUE(PumpUntil([] { return mivex_curr_play_time() > 2.05; }));
    const double shown = mivex_curr_play_time();
    ASSERT_LT(shown, 2.15);
    const QString expected =
        QString::asprintf("00:00:02.%d/00:00:04", static_cast<int>(shown * 1000 - 2000) / 100);
    EXPECT_TRUE(PumpUntil([&] { return pane->TimeLabel()->text() == expected; }, 60ms))
        << pane->TimeLabel()->text().toStdString();
    pane->TogglePlayPause();
    EXPECT_FALSE(pane->StepFrame(true)) << "playing";
    EXPECT_TRUE(PumpUntil([&] { return pane->TimeLabel()->text() == "00:00:03/00:00:04"; }));
}

TEST_F(VideoPane, PlayButtonPausesResumesAndReopensAfterStop) {
    ASSERT_TRUE(OpenAndStart());
    pane->TogglePlayPause();
    EXPECT_EQ(mivex_get_play_status(), 2);
    EXPECT_TRUE(heard.faces.back());
    pane->TogglePlayPause();
    EXPECT_EQ(mivex_get_play_status(), 1);
    EXPECT_FALSE(heard.faces.back());
    EXPECT_TRUE(pane->SeekToFraction(0.5));
    pane->StopClip();
    pane->TogglePlayPause();
    EXPECT_EQ(heard.current, 1);
}

TEST_F(VideoPane, ClipOpenedAfterAnotherIgnoresTheOldPlayThreadsEnd) {
    ASSERT_TRUE(OpenAndStart());
    now += 1000;
    ASSERT_TRUE(OpenAndStart("plain.MP4"));
    PumpFor(300ms);
    EXPECT_EQ(ended, 0); // the first clip's thread ended, but its event is not this clip's
    EXPECT_TRUE(pane->TickRunning());
    EXPECT_EQ(pane->TotalText(), "00:00:03");
}

// The frame saved is the one shown when the snapshot was asked for, though the picture
// moves on while the user chooses a name: 0.25 of the 4 s clip is 1.0 s, named in the
// offer; the user then seeks to 3 s before answering.
TEST_F(VideoPane, SnapshotSavesTheFrameAskedForWhereTheUserSavedLast) {
    int asked = 0;
    QString offered;
    QString answer;
    QImage later;
    pane->SetSavePathPrompt([&](const QString& defaultPath) {
        ++asked;
        offered = defaultPath;
        pane->SeekToFraction(0.75);
        later = mivex_grab_image();
        return answer;
    });
    pane->GrabSnapshot();
    EXPECT_EQ(asked, 0); // nothing open

    ASSERT_TRUE(OpenAndStart());
    pane->TogglePlayPause();
    ASSERT_TRUE(pane->SeekToFraction(0.25));
    const QImage asked1s = mivex_grab_image();
    ASSERT_FALSE(asked1s.isNull());
    pane->GrabSnapshot(); // cancelled
    EXPECT_EQ(asked, 1);
    const QFileInfo first(offered);
    EXPECT_EQ(first.absolutePath(),
              QFileInfo(QStandardPaths::writableLocation(QStandardPaths::PicturesLocation))
                  .absoluteFilePath());
    // yyyyMMddHHmmss_clip_offset.bmp
    EXPECT_TRUE(
        QRegularExpression("^\\d{14}_data_00-00-01\\.0\\.bmp$").match(first.fileName()).hasMatch())
        << first.fileName().toStdString();

    ASSERT_TRUE(pane->SeekToFraction(0.25));
    ASSERT_EQ(mivex_grab_image(), asked1s); // the 1 s frame is shown again
    answer = ClipDir() + "/snapshot.bmp";
    pane->GrabSnapshot();
    ASSERT_NE(later.convertToFormat(QImage::Format_RGB32), asked1s);
    EXPECT_EQ(QImage(answer).convertToFormat(QImage::Format_RGB32), asked1s);

    answer.clear();
    pane->GrabSnapshot();
    EXPECT_EQ(QFileInfo(offered).absolutePath(), QFileInfo(ClipDir()).absoluteFilePath());
}

// A PNG snapshot carries its clip, offset, time and place as text chunks. The track has a
// fix at second 1 without a date and a dated fix at second 2 (08:30:02), so second 1's time
// is that date less a second; a BMP, and a PNG of a clip without a track, carry none.
TEST_F(VideoPane, PngSnapshotCarriesTheTracksTimeAndPlaceOfItsSecond) {
    CMapTrackStore map;
    CGSampleStore chart;
    CSpeedDialModel dial;
    map.PutEntry(1, 59.9139, 10.7522, 'A');
    map.PutEntry(2, 59.9141, 10.7530, 'A', *UtcSeconds(2026, 5, 17, 8, 30, 2));
    dial.SetSpeedRecord(1, 57, 90);
    const TrackStores stores{map, chart, dial};
    bool withTrack = true;
    pane->SetSnapshotFacts([&](double offset) {
        return withTrack ? SnapshotFactsAt(stores, offset) : SnapshotFacts{};
    });
    QString answer;
    pane->SetSavePathPrompt([&](const QString&) { return answer; });
    ASSERT_TRUE(OpenAndStart());
    pane->TogglePlayPause();
    ASSERT_TRUE(pane->SeekToFraction(0.25)); // 1.0 s of the 4 s clip
    ASSERT_TRUE(PumpUntil([] { return std::fabs(mivex_curr_play_time() - 1.0) < 0.01; }))
        << mivex_curr_play_time();

    answer = ClipDir() + "/facts.PNG";
    pane->GrabSnapshot();
    const QImage png(answer);
    ASSERT_FALSE(png.isNull());
    EXPECT_EQ(png.text("Clip"), "data.MP4");
    EXPECT_EQ(png.text("Offset"), "00:00:01.0");
    EXPECT_EQ(png.text("Recorded"), "2026-05-17T08:30:01Z");
    EXPECT_EQ(png.text("Latitude"), "59.913900");
    EXPECT_EQ(png.text("Longitude"), "10.752200");
    EXPECT_EQ(png.text("Speed"), "57 km/h");

    answer = ClipDir() + "/facts.bmp";
    pane->GrabSnapshot();
    EXPECT_EQ(QImageReader(answer).format(), "bmp");
    EXPECT_TRUE(QImage(answer).textKeys().isEmpty());

    withTrack = false;
    answer = ClipDir() + "/bare.png";
    pane->GrabSnapshot();
    const QImage bare(answer);
    ASSERT_FALSE(bare.isNull());
    EXPECT_EQ(bare.text("Clip"), "data.MP4");
    EXPECT_TRUE(bare.text("Recorded").isEmpty());
    EXPECT_TRUE(bare.text("Latitude").isEmpty());
}

// The box shows the player's one mute switch, which the main window's M key turns through
// its own volume object: each undoes the other, and the volume level stays as it was.
TEST_F(VideoPane, MuteBoxAndTheMuteKeyTurnTheSameSwitch) {
    CSoundOutputVolumeImpl window;
    RecordingSink windowSink;
    window.Initialize(&windowSink);
    window.SetCurrentVolume(30000);
    auto muteKey = [&] { window.Mute(!window.IsMute()); };

    muteKey();
    EXPECT_TRUE(pane->MuteBox()->isChecked());
    pane->MuteBox()->click();
    EXPECT_FALSE(window.IsMute());
    EXPECT_EQ(windowSink.mutes, std::vector<bool>{false});
    pane->MuteBox()->click();
    EXPECT_TRUE(window.IsMute());
    muteKey();
    EXPECT_FALSE(pane->MuteBox()->isChecked());
    EXPECT_EQ(window.GetCurrentVolume(), 30000u);
    window.Finalize();
}

TEST_F(VideoPane, VideoWindowFollowsThePaneAndTheClipShape) {
    ASSERT_TRUE(OpenAndStart());
    pane->resize(808, 572);
    EXPECT_EQ(pane->VideoWindow()->geometry(), QRect(47, 2, 666, 500));
    pane->resize(808, 772);
    EXPECT_EQ(pane->VideoWindow()->geometry(), QRect(3, 35, 800, 600));
}

} // namespace
