// The shell wiring the panes together on the real engine, headless: a chosen clip fills
// the chart's and the dial's stores, its track lines reach them, and the keys drive it.
#include "app/COstvikShell.h"
#include "instruments/CMyStatic.h"
#include "instruments/CSpeedStatic.h"
#include "library/CClipListModel.h"
#include "library/CPlaylistDlg.h"
#include "map/CMapView.h"
#include "playback/CVideoViewDlg.h"
#include "playback/mivex.h"
#include "skin/SkinSE.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QMimeData>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <functional>
#include <memory>
#include <unistd.h>

namespace {

const QString kData = QStringLiteral(OSTVIK_TESTDATA);

bool PumpUntil(const std::function<bool()>& done, int milliseconds = 10000) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < milliseconds) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return done();
}

class Shell : public ::testing::Test {
protected:
    void SetUp() override {
        MivexOptions engine;
        engine.headless = true;
        shell = std::make_unique<COstvikShell>(engine);
        shell->show();
        QObject::connect(shell->VideoView(), &CVideoViewDlg::clipStarted, [this] { ++started; });
    }
    void TearDown() override { shell.reset(); }

    void Key(int key) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
        QApplication::sendEvent(shell.get(), &press);
        QApplication::sendEvent(shell.get(), &release);
    }

    std::unique_ptr<COstvikShell> shell;
    int started = 0;
};

TEST_F(Shell, ChosenClipFillsTheChartAndTheDialFromItsBlocks) {
    shell->AddClips({kData + "/drive.MP4"});
    ASSERT_TRUE(PumpUntil([&] { return started == 1; }));
    EXPECT_EQ(shell->GetCurrentFile(), kData + "/drive.MP4");
    EXPECT_EQ(CMyStatic::Instance()->m_store.m_samples.size(), 12u);
    EXPECT_EQ(shell->SpeedDial()->m_model.m_records.size(), 12u);
    EXPECT_EQ(shell->MapView()->m_store.size(), 12u);
}

TEST_F(Shell, AClipThatCannotBeReadLeavesNoTrackOfTheLastOne) {
    shell->AddClips({kData + "/drive.MP4", kData + "/gone.MP4"});
    ASSERT_TRUE(PumpUntil([&] { return started == 1; }));
    ASSERT_EQ(shell->SpeedDial()->m_model.m_records.size(), 12u);
    PumpUntil([] { return false; }, 1000); // past the one-second gate between opens
    shell->PlayNext();
    EXPECT_EQ(shell->GetCurrentFile(), kData + "/gone.MP4");
    EXPECT_TRUE(shell->SpeedDial()->m_model.m_records.empty());
    EXPECT_EQ(CMyStatic::Instance()->m_store.m_samples.size(), 1u);
    EXPECT_EQ(shell->MapView()->m_store.size(), 0u);
}

TEST_F(Shell, SidecarClipGetsItsTrackWhenPlaybackStarts) {
    shell->AddClips({kData + "/sidecar.MOV"});
    ASSERT_TRUE(PumpUntil([&] { return started == 1; }));
    // No blocks in the clip: the sidecar was read as NMEA, then its lines were dispatched.
    EXPECT_EQ(shell->MapView()->m_store.size(), 8u);
    EXPECT_EQ(shell->MapView()->m_store.m_fixStatus[7], 'A');
    EXPECT_EQ(CMyStatic::Instance()->m_store.m_samples.size(), 8u);
    EXPECT_EQ(shell->SpeedDial()->m_model.m_records.size(), 8u);
}

TEST_F(Shell, TickMovesTheMapMarkerAlongTheClipsTrack) {
    CMapView* map = shell->MapView();
    // The page first, so the clip's first seconds are not spent loading it.
    ASSERT_TRUE(PumpUntil([&] { return map->PageReady(); }, 30000));
    shell->AddClips({kData + "/drive.MP4"});
    ASSERT_TRUE(PumpUntil([&] { return started == 1; }));
    ASSERT_TRUE(PumpUntil([&] { return map->m_store.m_nLastShown >= 3; }, 20000));
    // Paused, the ticks stop, and the marker must stand at the last second shown.
    ASSERT_EQ(mivex_pause(), 1);
    const int shown = map->m_store.m_nLastShown;
    const double latitude = map->m_store.m_latitudes[static_cast<size_t>(shown)];
    const double longitude = map->m_store.m_longitudes[static_cast<size_t>(shown)];
    QString onPage;
    EXPECT_TRUE(PumpUntil(
        [&] {
            map->CallScript("eval",
                            {"marker ? marker.getLatLng().lat + ' ' + "
                             "marker.getLatLng().lng : ''"},
                            &onPage);
            const QStringList at = onPage.split(' ');
            return at.size() == 2 && std::fabs(at[0].toDouble() - latitude) < 1e-9 &&
                   std::fabs(at[1].toDouble() - longitude) < 1e-9;
        },
        10000))
        << onPage.toStdString() << " second " << shown;
    QString roadPoints;
    ASSERT_TRUE(map->CallScript("eval", {"road.getLatLngs().length"}, &roadPoints));
    EXPECT_GE(roadPoints.toInt(), 2);
}

TEST_F(Shell, ClickOnTheRouteSeeksTheVideo) {
    CMapView* map = shell->MapView();
    ASSERT_TRUE(PumpUntil([&] { return map->PageReady(); }, 30000));
    shell->AddClips({kData + "/drive.MP4"});
    ASSERT_TRUE(PumpUntil([&] { return started == 1; }));
    emit map->SeekRequested(9);
    EXPECT_TRUE(PumpUntil([] { return mivex_curr_play_time() >= 8.5; }, 5000))
        << mivex_curr_play_time();
}

TEST_F(Shell, SpacePausesAndResumesAndArrowsSeek) {
    shell->AddClips({kData + "/drive.MP4"});
    ASSERT_TRUE(PumpUntil([&] { return started == 1; }));
    shell->activateWindow();
    Key(Qt::Key_Space);
    EXPECT_EQ(mivex_get_play_status(), 2);
    Key(Qt::Key_Space);
    EXPECT_EQ(mivex_get_play_status(), 1);
    Key(Qt::Key_Right);
    ASSERT_TRUE(PumpUntil([] { return mivex_curr_play_time() >= 5.0; }, 1500))
        << mivex_curr_play_time();
    Key(Qt::Key_Right);
    ASSERT_TRUE(PumpUntil([] { return mivex_curr_play_time() >= 10.0; }, 1500))
        << mivex_curr_play_time();
    Key(Qt::Key_Left);
    EXPECT_TRUE(PumpUntil([] { return mivex_curr_play_time() < 7.0; }, 1500))
        << mivex_curr_play_time();
}

TEST_F(Shell, NextAndPreviousStepThroughTheClips) {
    shell->AddClips({kData + "/drive.MP4", kData + "/south.MP4"});
    ASSERT_TRUE(PumpUntil([&] { return started == 1; }));
    PumpUntil([] { return false; }, 1000); // past the one-second gate between opens
    shell->PlayNext();
    ASSERT_TRUE(PumpUntil([&] { return started == 2; }));
    EXPECT_EQ(shell->GetCurrentFile(), kData + "/south.MP4");
    EXPECT_EQ(shell->VideoView()->TotalText(), "00:00:06");
    shell->PlayNext(); // past the last clip: nothing
    EXPECT_EQ(shell->GetCurrentFile(), kData + "/south.MP4");
}

TEST_F(Shell, PlayingClipThatVanishesStopsAndLeavesTheList) {
    QTemporaryDir dir;
    const QString clip = dir.filePath("CLIP0001.MP4");
    ASSERT_TRUE(QFile::copy(kData + "/drive.MP4", clip));
    shell->AddClips({kData + "/south.MP4", clip});
    ASSERT_TRUE(PumpUntil([&] { return started == 1; }));
    PumpUntil([] { return false; }, 1000); // past the one-second gate between opens
    shell->Playlist()->PlayItem(1);
    ASSERT_TRUE(PumpUntil([&] { return started == 2; }));
    ASSERT_TRUE(QFile::remove(clip));
    shell->Playlist()->RemoveMissingFiles();
    EXPECT_EQ(shell->Playlist()->List()->count(), 1);
    EXPECT_EQ(shell->GetCurrentFile(), "");
    EXPECT_EQ(mivex_get_play_status(), kMivexStopped);
    EXPECT_FALSE(shell->VideoView()->TickRunning());
    PumpUntil([] { return false; }, 500);
}

TEST_F(Shell, FilesDroppedOnTheWindowAreAddedAndTheFirstPlays) {
    QMimeData files;
    files.setUrls(
        {QUrl::fromLocalFile(kData + "/south.MP4"), QUrl::fromLocalFile(kData + "/drive.MP4")});
    // As a file manager's drag does: it enters the window, then drops.
    QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(shell.get(), &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(20, 20), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(shell.get(), &drop);
    ASSERT_TRUE(PumpUntil([&] { return started == 1; }));
    EXPECT_EQ(shell->GetCurrentFile(), kData + "/south.MP4");
    EXPECT_EQ(shell->Playlist()->List()->count(), 2);
}

} // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // The map's browser cannot start its sandbox as root, and keeps its tiles apart from
    // the user's.
    if (::geteuid() == 0) {
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    }
    qputenv("XDG_CACHE_HOME", OSTVIK_TEST_CACHE);
    QApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    if (SkinSE_LoadSkinResourceFromZIP(QStringLiteral(OSTVIK_SKIN_ZIP), QString()) == 0) {
        return 1;
    }
    return RUN_ALL_TESTS();
}
