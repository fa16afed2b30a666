// The video pane driving the real engine, headless, with a recording stand-in for the main
// window and the playlist.
#include "PlaybackTestSupport.h"

#include "instruments/CMyStatic.h"
#include "instruments/CSpeedStatic.h"
#include "playback/CSoundOutputVolumeImpl.h"
#include "playback/CVideoViewDlg.h"
#include "playback/IVideoPaneHost.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QSlider>

#include <gtest/gtest.h>

#include <memory>

using namespace playtest;
using namespace std::chrono_literals;

namespace {

struct RecordingHost : IVideoPaneHost {
    std::vector<bool> faces;
    int progressRange = -1;
    int progressPosition = -1;
    QString timeText;
    unsigned long savedVolume = 0;
    QString currentFile;
    int next = 0, prev = 0, current = 0;

    void SetPlayButtonLook(bool playFace) override { faces.push_back(playFace); }
    void SetSpeedFromSlider() override { CVideoViewDlg::Instance()->SetSpeedFromSlider(); }
    void SetProgressRange(int maximum) override { progressRange = maximum; }
    void SetProgressPosition(int position) override { progressPosition = position; }
    void SetTimeText(const QString& text) override { timeText = text; }
    unsigned long SavedVolume() const override { return savedVolume; }
    void SetSavedVolume(unsigned long volume) override { savedVolume = volume; }
    QString GetCurrentFile() const override { return currentFile; }
    void PlayNext() override { ++next; }
    void PlayPrev() override { ++prev; }
    void PlayCurrent() override { ++current; }
};

class VideoPane : public ::testing::Test {
protected:
    void SetUp() override {
        ClipDir();
        IVideoPaneHost::SetInstance(&host);
        MivexOptions options;
        options.headless = true;
        pane = std::make_unique<CVideoViewDlg>(nullptr, options);
        pane->SetClock([this] { return now; });
        pane->resize(808, 572);
        pane->show();
        connect(pane.get());
    }
    void TearDown() override {
        pane.reset();
        IVideoPaneHost::SetInstance(nullptr);
    }
    void connect(CVideoViewDlg* view) {
        QObject::connect(view, &CVideoViewDlg::clipStarted, [this] { ++started; });
        QObject::connect(view, &CVideoViewDlg::clipEnded, [this] { ++ended; });
    }
    bool OpenAndStart(const char* clip = "data.MP4") {
        host.currentFile = QString::fromStdString(Clip(clip));
        const int before = started;
        return pane->OpenClip(host.currentFile) && PumpUntil([&] { return started > before; });
    }

    RecordingHost host;
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
    EXPECT_EQ(host.progressRange, 4000);
    EXPECT_EQ(pane->TotalText(), "00:00:04");
    EXPECT_TRUE(pane->TickRunning());
    ASSERT_FALSE(host.faces.empty());
    EXPECT_FALSE(host.faces.back()); // the pause face while playing
    EXPECT_TRUE(pane->VideoWindow()->isVisibleTo(pane.get()));
    EXPECT_FALSE(pane->Logo()->isVisibleTo(pane.get()));
}

TEST_F(VideoPane, TickHandsTheSecondToTheChartAndTheSecondBeforeToTheDial) {
    CMyStatic chart;
    CSpeedStatic dial;
    for (int s = 0; s < 4; ++s) {
        dial.SetSpeedRecord(s, 10 * (s + 1), 0);
        chart.AddTrackLine(("T:" + std::to_string(s * 1000) + " X:0 Y:0 Z:1 G:0").c_str());
    }
    ASSERT_TRUE(OpenAndStart());
    ASSERT_TRUE(PumpUntil([&] { return pane->CurrentText() == "00:00:01"; }));
    EXPECT_EQ(dial.m_model.m_nSpeed, 10); // second 0's record at second 1
    EXPECT_EQ(chart.m_store.m_nLastSecond, 1u);
    ASSERT_TRUE(PumpUntil([&] { return pane->CurrentText() == "00:00:02"; }));
    EXPECT_EQ(dial.m_model.m_nSpeed, 20);
    EXPECT_EQ(chart.m_store.m_nLastSecond, 2u);
    EXPECT_EQ(host.timeText, "00:00:02/00:00:04");
    EXPECT_EQ(pane->TimeLabel()->text(), "00:00:02/00:00:04");
}

TEST_F(VideoPane, ClipPlayedToItsEndMovesOnOnce) {
    ASSERT_TRUE(OpenAndStart());
    ASSERT_TRUE(PumpUntil([&] { return ended == 1; }, 15s));
    EXPECT_EQ(host.next, 1);
    EXPECT_TRUE(pane->CurrentText().isEmpty());
    EXPECT_EQ(host.timeText, "00:00:00/00:00:00");
    EXPECT_EQ(host.progressRange, 0);
    EXPECT_TRUE(host.faces.back());
}

TEST_F(VideoPane, StoppedClipDoesNotMoveOn) {
    ASSERT_TRUE(OpenAndStart());
    pane->StopClip();
    EXPECT_FALSE(pane->TickRunning());
    EXPECT_FALSE(pane->VideoWindow()->isVisibleTo(pane.get()));
    EXPECT_EQ(host.progressRange, 0);
    ASSERT_TRUE(PumpUntil([&] { return ended == 1; }));
    EXPECT_EQ(host.next, 0);
    EXPECT_EQ(mivex_get_play_status(), 4);
}

TEST_F(VideoPane, PlayButtonPausesResumesAndReopensAfterStop) {
    ASSERT_TRUE(OpenAndStart());
    pane->TogglePlayPause();
    EXPECT_EQ(mivex_get_play_status(), 2);
    EXPECT_TRUE(host.faces.back());
    EXPECT_FALSE(pane->SeekToFraction(0.5)); // no seek while paused
    pane->TogglePlayPause();
    EXPECT_EQ(mivex_get_play_status(), 1);
    EXPECT_FALSE(host.faces.back());
    EXPECT_TRUE(pane->SeekToFraction(0.5));
    pane->StopClip();
    pane->TogglePlayPause();
    EXPECT_EQ(host.current, 1);
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

TEST_F(VideoPane, SnapshotAsksForANameOnlyWhileAClipIsOpen) {
    int asked = 0;
    QString answer;
    pane->SetSavePathPrompt([&](const QString& defaultName) {
        ++asked;
        EXPECT_TRUE(defaultName.endsWith(".bmp"));
        EXPECT_EQ(defaultName.size(), 18); // yyyyMMddHHmmss.bmp
        return answer;
    });
    pane->GrabSnapshot();
    EXPECT_EQ(asked, 0);

    ASSERT_TRUE(OpenAndStart());
    pane->GrabSnapshot(); // cancelled
    EXPECT_EQ(asked, 1);
    answer = ClipDir() + "/snapshot.bmp";
    pane->GrabSnapshot();
    const QImage snapshot(answer);
    ASSERT_FALSE(snapshot.isNull());
    EXPECT_EQ(snapshot.size(), QSize(320, 240));
}

TEST_F(VideoPane, MuteBoxKeepsTheVolumeToComeBackTo) {
    EXPECT_EQ(pane->VolumeSlider()->value(), 26214);
    EXPECT_EQ(host.savedVolume, 26214u);
    CSoundOutputVolumeImpl volume;
    pane->VolumeSlider()->setValue(30000);
    pane->MuteBox()->click();
    EXPECT_EQ(host.savedVolume, 30000u);
    EXPECT_EQ(volume.GetCurrentVolume(), 0u);
    pane->MuteBox()->click();
    EXPECT_NEAR(static_cast<double>(volume.GetCurrentVolume()), 30000.0, 700.0);
}

TEST_F(VideoPane, VideoWindowFollowsThePaneAndTheClipShape) {
    ASSERT_TRUE(OpenAndStart());
    pane->resize(808, 572);
    EXPECT_EQ(pane->VideoWindow()->geometry(), QRect(47, 2, 666, 500));
    pane->resize(808, 772);
    EXPECT_EQ(pane->VideoWindow()->geometry(), QRect(3, 35, 800, 600));
}

} // namespace
