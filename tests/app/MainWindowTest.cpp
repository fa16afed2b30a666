// The main window wiring the panes together on the real engine, headless: a chosen clip
// fills the chart's and the dial's stores, its track lines reach them, and the keys drive it.
#include "app/CExportDlg.h"
#include "app/COstvikDlg.h"
#include "instruments/CGSensesDlg.h"
#include "instruments/CMyStatic.h"
#include "instruments/CSpeedStatic.h"
#include "library/CClipListModel.h"
#include "library/CPlaylistDlg.h"
#include "library/CPlaylistDrives.h"
#include "map/CHtmlViewDlg.h"
#include "map/CMapView.h"
#include "playback/CDriveEventMenu.h"
#include "playback/CDriveTimeline.h"
#include "playback/CMySliderCtrl.h"
#include "playback/CSoundOutputVolumeImpl.h"
#include "playback/CVideoViewDlg.h"
#include "playback/MivexEngine.h"
#include "playback/mivex.h"
#include "skin/SkinSE.h"
#include "tests/map/MapTestSupport.h"
#include "tests/support/ClipMaker.h"
#include "tests/support/ContrastRatio.h"
#include "tests/support/Pump.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QDateTime>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSlider>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QToolTip>
#include <QUrl>

#include <gtest/gtest.h>
#include <mpv/client.h>

#include <algorithm>
#include <clocale>
#include <cmath>
#include <functional>
#include <memory>
#include <unistd.h>
#include <vector>

using namespace std::chrono_literals;
using testsupport::PumpFor;
using testsupport::PumpUntil;

namespace {

const QString kData = QStringLiteral(OSTVIK_TESTDATA);

// The window with its requests to the window system recorded instead of made: without a
// window manager there is nobody to move or resize it.
class RecordingDlg : public COstvikDlg {
public:
    using COstvikDlg::COstvikDlg;
    int moves = 0;
    std::vector<Qt::Edges> resizes;

protected:
    void StartSystemMove() override { ++moves; }
    void StartSystemResize(Qt::Edges edges) override { resizes.push_back(edges); }
};

class MainWindow : public ::testing::Test {
protected:
    void SetUp() override {
        MivexOptions engine;
        engine.headless = true;
        window = std::make_unique<RecordingDlg>(engine);
        window->show();
        QObject::connect(window->VideoView(), &CVideoViewDlg::clipStarted, [this] { ++started; });
    }
    void TearDown() override { window.reset(); }

    void Mouse(QEvent::Type type, QPoint at, Qt::MouseButton button = Qt::LeftButton) {
        QMouseEvent event(type, QPointF(at), window->mapToGlobal(QPointF(at)), button, button,
                          Qt::NoModifier);
        QApplication::sendEvent(window.get(), &event);
    }
    template <typename Control> Control* Hidden(int id) {
        return qobject_cast<Control*>(window->Control(id));
    }
    QPushButton* PaneButton(int id) {
        return window->VideoView()->findChild<QPushButton*>(QString::number(id),
                                                            Qt::FindDirectChildrenOnly);
    }
    // As a drag of the slider's handle ends at `value`.
    static void DragTo(QSlider* slider, int value) {
        slider->setSliderDown(true);
        slider->setValue(value);
        slider->setSliderDown(false);
    }
    static double EngineSpeed() {
        double speed = 0;
        mpv_get_property(MivexEngine::Instance().Core(), "speed", MPV_FORMAT_DOUBLE, &speed);
        return speed;
    }

    void Key(int key) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
        QApplication::sendEvent(window.get(), &press);
        QApplication::sendEvent(window.get(), &release);
    }

    std::unique_ptr<RecordingDlg> window;
    int started = 0;
};

// Until then the video pane shows how to add clips and the keys. The title band names it
// and when it was recorded: the track's first record is at
// 2024-06-01T12:00:00Z, shown in local time.
TEST_F(MainWindow, ChosenClipFillsTheChartAndTheDialFromItsBlocks) {
    EXPECT_EQ(window->TitleBand()->text(), "");
    QLabel* hint = window->EmptyHint();
    EXPECT_TRUE(hint->isVisible());
    EXPECT_TRUE(hint->text().startsWith("Drop clips here, press + or plug in the camera\n"));
    EXPECT_TRUE(hint->text().contains("Space: play or pause"));
    window->AddClips({kData + "/drive.MP4"});
    ASSERT_TRUE(PumpUntil([&] { return started == 1; }));
    EXPECT_FALSE(hint->isVisible());
    EXPECT_EQ(window->GetCurrentFile(), kData + "/drive.MP4");
    EXPECT_EQ(CMyStatic::Instance()->Store().m_samples.size(), 12u);
    EXPECT_EQ(window->SpeedDial()->Model().m_records.size(), 12u);
    EXPECT_EQ(window->MapView()->Store().size(), 12u);
    const QDateTime recorded(QDate(2024, 6, 1), QTime(12, 0), Qt::UTC);
    EXPECT_EQ(window->TitleBand()->text(),
              "drive.MP4  " + recorded.toLocalTime().toString("yyyy-MM-dd HH:mm:ss"));
}

// Nor any reading of it: the dial's needles and text and the chart's values are taken off.
TEST_F(MainWindow, AClipThatCannotBeReadLeavesNoTrackOfTheLastOne) {
    window->AddClips({kData + "/drive.MP4", kData + "/gone.MP4"});
    ASSERT_TRUE(PumpUntil([&] { return started == 1; }));
    ASSERT_EQ(window->SpeedDial()->Model().m_records.size(), 12u);
    QLabel* valueX = window->GSenses()->Label(1041);
    // The first tick shows a second of the track.
    ASSERT_TRUE(PumpUntil([&] { return valueX->text() != "X:0.000000"; }));
    ASSERT_FALSE(window->SpeedDial()->Text().isEmpty());
    PumpFor(1s); // past the one-second gate between opens
    window->PlayNext();
    EXPECT_EQ(window->GetCurrentFile(), kData + "/gone.MP4");
    EXPECT_TRUE(window->SpeedDial()->Model().m_records.empty());
    EXPECT_EQ(CMyStatic::Instance()->Store().m_samples.size(), 1u);
    EXPECT_EQ(window->MapView()->Store().size(), 0u);
    EXPECT_EQ(window->SpeedDial()->Text(), "");
    EXPECT_EQ(valueX->text(), "X:0.000000");
}

TEST_F(MainWindow, SidecarClipGetsItsTrackWhenPlaybackStarts) {
    window->AddClips({kData + "/sidecar.MOV"});
    ASSERT_TRUE(PumpUntil([&] { return started == 1; }));
    // No blocks in the clip: the sidecar was read as NMEA, then its lines were dispatched.
    EXPECT_EQ(window->MapView()->Store().size(), 8u);
    EXPECT_EQ(window->MapView()->Store().m_fixStatus[7], 'A');
    EXPECT_EQ(CMyStatic::Instance()->Store().m_samples.size(), 8u);
    EXPECT_EQ(window->SpeedDial()->Model().m_records.size(), 8u);
}

// Paused on a frame, the dial reads the speed of that frame's second, as the chart and the
// map do: the clip maker's record of the drive says what it was (km/h, which the dial
// shows once switched to km/h).
TEST_F(MainWindow, PausedOnASecondTheDialShowsThatSecondsSpeed) {
    const auto truth = ReadTruth(kData.toStdString() + "/drive.truth.csv");
    ASSERT_GE(truth.size(), 12u);
    // Seconds 3 and 4 differ: a dial a second behind would show 11 km/h for second 4.
    ASSERT_EQ(static_cast<int>(truth[3][3]), 11);
    ASSERT_EQ(static_cast<int>(truth[4][3]), 19);
    window->AddClips({kData + "/drive.MP4"});
    ASSERT_TRUE(PumpUntil([&] { return started == 1; }));
    window->SpeedDial()->Model().m_bKmh = 1;
    for (const int second : {4, 3, 9}) {
        SCOPED_TRACE("second " + std::to_string(second));
        DragTo(Hidden<QSlider>(1004), second * 1000 + 500);
        ASSERT_EQ(mivex_pause(), 1);
        ASSERT_TRUE(PumpUntil(
            [&] { return std::fabs(mivex_curr_play_time() - (second + 0.5)) < 0.3; }, 5s));
        EXPECT_TRUE(PumpUntil(
            [&] {
                return window->SpeedDial()->Model().ShownSpeed() ==
                       static_cast<int>(truth[static_cast<size_t>(second)][3]);
            },
            3s))
            << window->SpeedDial()->Model().ShownSpeed();
        EXPECT_EQ(window->MapView()->Store().m_nLastShown, second);
        ASSERT_EQ(mivex_resume(), 1);
    }
}

// Light grey on white was seen in the window's pop-up menus, the export dialog's fields, the
// playlist's drive rows and the drive timeline's labels: every widget of the window and
// of the export dialog, and a menu as the window's context menus are made, draws its text
// apart from its ground by 4.5 : 1 at least, in the colours the skin's style sheet gives it.
TEST_F(MainWindow, EveryTextStandsOutFromItsGround) {
    window->AddClips({kData + "/drive.MP4"});
    ASSERT_TRUE(PumpUntil([&] { return started == 1; }));
    window->ShowExportDialog();
    ASSERT_NE(window->ExportDialog(), nullptr);
    QMenu menu(window.get());
    menu.addAction(QStringLiteral("Save track as"));
    QList<QWidget*> widgets = window->findChildren<QWidget*>();
    widgets += window->ExportDialog()->findChildren<QWidget*>();
    widgets += {window->ExportDialog(), &menu};
    int checked = 0;
    for (QWidget* widget : widgets) {
        widget->ensurePolished();
        const QPalette colours = widget->palette();
        const std::string name = widget->metaObject()->className();
        EXPECT_GE(
            ContrastRatio(colours.color(QPalette::WindowText), colours.color(QPalette::Window)),
            4.5)
            << name;
        // Fields and lists draw their text on the base colours, buttons on theirs.
        if (qobject_cast<QAbstractItemView*>(widget) || qobject_cast<QLineEdit*>(widget)) {
            EXPECT_GE(ContrastRatio(colours.color(QPalette::Text), colours.color(QPalette::Base)),
                      4.5)
                << name;
            EXPECT_GE(ContrastRatio(colours.color(QPalette::Text),
                                    colours.color(QPalette::AlternateBase)),
                      4.5)
                << name;
        }
        if (qobject_cast<QAbstractButton*>(widget) || qobject_cast<QMenu*>(widget)) {
            EXPECT_GE(
                ContrastRatio(colours.color(QPalette::ButtonText), colours.color(QPalette::Button)),
                4.5)
                << name;
        }
        ++checked;
    }
    EXPECT_GT(checked, 50);
    window->ExportDialog()->hide();
}

// While a clip plays no tool tip lies over its picture; paused, the key list shows. The
// speed slider's tool tip and a label beside the time name the speed chosen, which the
// slider's scale does not.
TEST_F(MainWindow, NoToolTipOverThePlayingPictureAndTheSpeedChosenIsNamed) {
    window->AddClips({kData + "/drive.MP4"});
    ASSERT_TRUE(PumpUntil([&] { return started == 1; }));
    CVideoViewDlg* pane = window->VideoView();
    const auto restOn = [pane](QPoint at) {
        QHelpEvent tip(QEvent::ToolTip, at, pane->mapToGlobal(at));
        QApplication::sendEvent(pane, &tip);
    };
    restOn(pane->rect().center());
    EXPECT_FALSE(QToolTip::isVisible());
    ASSERT_EQ(mivex_pause(), 1);
    restOn(pane->rect().center());
    EXPECT_TRUE(QToolTip::isVisible());
    EXPECT_TRUE(QToolTip::text().startsWith("Space: play or pause"))
        << QToolTip::text().toStdString();
    QToolTip::hideText();

    auto* speed = pane->findChild<QSlider*>(QString::number(CVideoViewDlg::IDC_SPEED));
    auto* chosen = pane->findChild<QLabel*>(QStringLiteral("speedChosen"));
    ASSERT_NE(speed, nullptr);
    ASSERT_NE(chosen, nullptr);
    EXPECT_TRUE(chosen->isVisible());
    EXPECT_EQ(chosen->text(), "Speed 1x");
    DragTo(speed, 5);
    EXPECT_EQ(chosen->text(), "Speed 4x");
    EXPECT_EQ(speed->toolTip(), "Playback speed: 4x (1/8x to 8x)");
    DragTo(speed, 1);
    EXPECT_EQ(chosen->text(), "Speed 1/4x");
    EXPECT_DOUBLE_EQ(EngineSpeed(), 0.25);
}

TEST_F(MainWindow, TickMovesTheMapMarkerAlongTheClipsTrack) {
    CMapView* map = window->MapView();
    // The page first, so the clip's first seconds are not spent loading it.
    ASSERT_TRUE(PumpUntil([&] { return map->PageReady(); }, 30s));
    window->AddClips({kData + "/drive.MP4"});
    ASSERT_TRUE(PumpUntil([&] { return started == 1; }));
    ASSERT_TRUE(PumpUntil([&] { return map->Store().m_nLastShown >= 3; }, 20s));
    // Paused, the marker must stand at the paused frame's second, which the next tick shows.
    ASSERT_EQ(mivex_pause(), 1);
    PumpFor(700ms);
    const int shown = map->Store().m_nLastShown;
    const double latitude = map->Store().m_latitudes[static_cast<size_t>(shown)];
    const double longitude = map->Store().m_longitudes[static_cast<size_t>(shown)];
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
        10s))
        << onPage.toStdString() << " second " << shown;
    QString roadPoints;
    ASSERT_TRUE(map->CallScript("eval", {"road.getLatLngs().length"}, &roadPoints));
    EXPECT_GE(roadPoints.toInt(), 2);
}

TEST_F(MainWindow, ClickOnTheRouteSeeksTheVideo) {
    CMapView* map = window->MapView();
    ASSERT_TRUE(PumpUntil([&] { return map->PageReady(); }, 30s));
    window->AddClips({kData + "/drive.MP4"});
    ASSERT_TRUE(PumpUntil([&] { return started == 1; }));
    emit map->SeekRequested(9);
    EXPECT_TRUE(PumpUntil([] { return mivex_curr_play_time() >= 8.5; }, 5s))
        << mivex_curr_play_time();
}

TEST_F(MainWindow, SpacePausesAndResumesAndArrowsSeek) {
    window->AddClips({kData + "/drive.MP4"});
    ASSERT_TRUE(PumpUntil([&] { return started == 1; }));
    window->activateWindow();
    Key(Qt::Key_Space);
    EXPECT_EQ(mivex_get_play_status(), 2);
    Key(Qt::Key_Space);
    EXPECT_EQ(mivex_get_play_status(), 1);
    Key(Qt::Key_Right);
    ASSERT_TRUE(PumpUntil([] { return mivex_curr_play_time() >= 5.0; }, 1500ms))
        << mivex_curr_play_time();
    Key(Qt::Key_Right);
    ASSERT_TRUE(PumpUntil([] { return mivex_curr_play_time() >= 10.0; }, 1500ms))
        << mivex_curr_play_time();
    Key(Qt::Key_Left);
    EXPECT_TRUE(PumpUntil([] { return mivex_curr_play_time() < 7.0; }, 1500ms))
        << mivex_curr_play_time();
}

// I and O mark the excerpt at the paused picture's play time, in the clip's seconds for a
// clip alone, and the progress slider shades it in its milliseconds. Saved as CSV, its
// track has a row for each whole second the excerpt touches.
TEST_F(MainWindow, IAndOMarkTheExcerptWherePlaybackIsAndItsTrackAndVideoSave) {
    window->AddClips({kData + "/drive.MP4"});
    ASSERT_TRUE(PumpUntil([&] { return started == 1; }));
    window->activateWindow();
    ASSERT_EQ(mivex_pause(), 1);
    const auto pausedAt = [&](double fraction) {
        EXPECT_TRUE(window->VideoView()->SeekToFraction(fraction));
        EXPECT_TRUE(PumpUntil([] { return !MivexEngine::Instance().Seeking(); }, 5s));
        return mivex_curr_play_time();
    };
    const double end = pausedAt(0.5);
    Key(Qt::Key_O);
    const double start = pausedAt(0.25);
    Key(Qt::Key_I);
    ASSERT_GT(end, start);
    const ExcerptMarks& marks = window->Excerpt();
    EXPECT_FALSE(marks.InDrive());
    EXPECT_DOUBLE_EQ(marks.Start().value_or(-1), start);
    EXPECT_DOUBLE_EQ(marks.End().value_or(-1), end);
    ASSERT_EQ(marks.Pieces().size(), 1u);
    EXPECT_EQ(QString::fromStdString(marks.Pieces()[0].clip), kData + "/drive.MP4");
    const CMySliderCtrl* slider = window->VideoView()->ProgressSlider();
    EXPECT_EQ(slider->ExcerptFrom(), std::lround(start * 1000));
    EXPECT_EQ(slider->ExcerptTo(), std::lround(end * 1000));

    QTemporaryDir dir;
    const QString saved = dir.filePath("excerpt.csv");
    window->TrackSave()->SetPrompt([&](const QString&) {
        return std::optional<CTrackSaveMenu::Choice>({saved, TrackFormat::Csv});
    });
    ASSERT_TRUE(window->TrackSave()->SaveExcerpt());
    QFile csv(saved);
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
    const QList<QByteArray> rows = csv.readAll().split('\n');
    const auto seconds = static_cast<int>(std::ceil(end) - std::floor(start));
    ASSERT_EQ(rows.size(), 1 + seconds + 1); // the header, the rows, after the last line end
    EXPECT_TRUE(rows[1].startsWith("0,A,")) << rows[1].toStdString();

    // The pane's snapshot button asks where to save, as S does.
    QString asked;
    window->VideoView()->SetSavePathPrompt([&](const QString& path) {
        asked = path;
        return QString();
    });
    QPushButton* snapshot = PaneButton(CVideoViewDlg::IDC_SNAPSHOT);
    QPushButton* exportButton = PaneButton(CVideoViewDlg::IDC_EXPORT);
    ASSERT_TRUE(snapshot != nullptr && exportButton != nullptr);
    snapshot->click();
    EXPECT_TRUE(asked.endsWith(".bmp")) << asked.toStdString();

    // The export button beside it opens the dialog, and so does E; the dialog exports the
    // marked stretch while the clip stays open; a cancelled export leaves nothing in the
    // folder.
    exportButton->click();
    CExportDlg* dialog = window->ExportDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    dialog->hide();
    // The key frame a copy starts at is looked for off the UI thread: an ffprobe slow on a
    // big clip does not hold the window.
    const QString ffprobe = QStandardPaths::findExecutable("ffprobe");
    ASSERT_FALSE(ffprobe.isEmpty());
    QTemporaryDir slow;
    QFile script(slow.filePath("ffprobe"));
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write(("#!/bin/sh\nsleep 2\nexec '" + ffprobe + "' \"$@\"\n").toUtf8());
    script.close();
    script.setPermissions(script.permissions() | QFileDevice::ExeOwner);
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(slow.path()) + ":" + path);
    QElapsedTimer shown;
    shown.start();
    Key(Qt::Key_E);
    EXPECT_LT(shown.elapsed(), 1000);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(dialog->SnapNote()->text().startsWith("Finding"))
        << dialog->SnapNote()->text().toStdString();
    EXPECT_TRUE(PumpUntil([&] { return dialog->SnapNote()->text().startsWith("Its start"); }, 15s))
        << dialog->SnapNote()->text().toStdString();
    qputenv("PATH", path);
    EXPECT_TRUE(dialog->CopyChoice()->isChecked());
    // Into folders not made yet, as the Videos folder of a new account is not: they are
    // made, and the message naming the long path wraps inside the dialog.
    const QString deep = dir.filePath(
        "case_2024_0601_the_drive_home_from_work/front_camera_excerpts_for_the_insurer");
    dialog->PathLine()->setText(deep + "/excerpt.mp4");
    dialog->ExportButton()->click();
    ASSERT_TRUE(PumpUntil([&] { return !dialog->Running(); }, 30s));
    EXPECT_TRUE(dialog->Status()->text().startsWith("Saved"))
        << dialog->Status()->text().toStdString();
    EXPECT_LE(dialog->Status()->minimumSizeHint().width(), dialog->width());
    EXPECT_TRUE(QFileInfo(deep + "/excerpt.mp4").size() > 0);
    EXPECT_TRUE(QFileInfo(deep + "/excerpt.gpx").size() > 0);
    const int before = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size();
    dialog->OverlayChoice()->setChecked(true);
    dialog->PathLine()->setText(dir.filePath("cancelled.mp4"));
    dialog->ExportButton()->click();
    dialog->CancelButton()->click();
    ASSERT_TRUE(PumpUntil([&] { return !dialog->Running(); }, 30s));
    EXPECT_TRUE(dialog->Status()->text().startsWith("Not exported"))
        << dialog->Status()->text().toStdString();
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), before);
    EXPECT_EQ(mivex_get_play_status(), kMivexPaused) << "the clip stays open meanwhile";
}

TEST_F(MainWindow, NextAndPreviousStepThroughTheClips) {
    window->AddClips({kData + "/drive.MP4", kData + "/south.MP4"});
    ASSERT_TRUE(PumpUntil([&] { return started == 1; }));
    PumpFor(1s); // past the one-second gate between opens
    window->PlayNext();
    ASSERT_TRUE(PumpUntil([&] { return started == 2; }));
    EXPECT_EQ(window->GetCurrentFile(), kData + "/south.MP4");
    EXPECT_EQ(window->VideoView()->TotalText(), "00:00:06");
    window->PlayNext(); // past the last clip: nothing
    EXPECT_EQ(window->GetCurrentFile(), kData + "/south.MP4");
}

// The window's own speed slider sets the speed every clip opens at; the pane's slider
// starts each clip at normal speed whatever was chosen on it.
TEST_F(MainWindow, AClipOpensAtTheSpeedOfTheWindowsSpeedSlider) {
    window->AddClips({kData + "/drive.MP4", kData + "/south.MP4"});
    ASSERT_TRUE(PumpUntil([&] { return started == 1; }));
    EXPECT_DOUBLE_EQ(EngineSpeed(), 1.0);
    Hidden<QSlider>(1024)->setValue(5); // 4x, not let go: nothing changes until a clip opens
    window->VideoView()->SpeedSlider()->setValue(1);
    EXPECT_DOUBLE_EQ(EngineSpeed(), 1.0);
    PumpFor(1s); // past the one-second gate between opens
    window->PlayNext();
    ASSERT_TRUE(PumpUntil([&] { return started == 2; }));
    EXPECT_DOUBLE_EQ(EngineSpeed(), 4.0);
    EXPECT_EQ(window->VideoView()->SpeedSlider()->value(), 3);
}

// Two clips of 3 s, three seconds apart by their names and tracks, make a drive; a clip ten
// minutes on makes another. The drive plays through its two clips and stops at its end,
// with its timeline under the picture while it plays.
TEST_F(MainWindow, AClipOfADrivePlaysOnThroughItsDriveAndStopsAtItsEnd) {
    const std::filesystem::path card = TestFolder("window-drive");
    const std::string small = " --seconds 3 --size 64x48 --fps 5 --steady 36 --origin 59,18";
    const QStringList clips{QString::fromStdString((card / "2024_0601_140000_F.MP4").string()),
                            QString::fromStdString((card / "2024_0601_140003_F.MP4").string()),
                            QString::fromStdString((card / "2024_0601_141000_F.MP4").string())};
    const char* const starts[] = {"12:00:00", "12:00:03", "12:10:00"};
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(
            MakeClip(clips[i].toStdString(), std::string("--start 2024-06-01T") + starts[i] + small)
                .status,
            0);
    }
    window->AddClips(clips);
    ASSERT_TRUE(PumpUntil([&] { return window->VideoView()->DriveTimeline()->isVisible(); }));
    // The drive plays as one: the engine holds both its clips, and the crossing into the
    // second reopens nothing.
    ASSERT_TRUE(PumpUntil([] { return mivex_drive_clip_count() == 2; }));
    ASSERT_TRUE(PumpUntil([&] { return started >= 1; }));
    PumpFor(500ms); // the start of a clip joined to its drive is told a little later
    // Back to the first clip, whichever the drive was opened at: one step, nothing opened.
    const int opens = started;
    emit window->VideoView()->DriveTimeline()->seekRequested(1.0);
    ASSERT_EQ(window->GetCurrentFile(), clips[0]);
    ASSERT_TRUE(PumpUntil([&] { return window->GetCurrentFile() == clips[1]; }));
    EXPECT_EQ(window->VideoView()->ClipPath(), clips[1]);
    EXPECT_EQ(window->VideoView()->TotalText(), "00:00:03");
    EXPECT_TRUE(window->VideoView()->DriveTimeline()->isVisible());
    PumpFor(5s); // past the drive's end
    EXPECT_EQ(started, opens);
    EXPECT_EQ(window->GetCurrentFile(), clips[1]);
    EXPECT_EQ(mivex_get_play_status(), kMivexStopped);
    std::filesystem::remove_all(card);
}

// Paused review of a drive of two 3 s clips: a seek into the other clip (the timeline's,
// as the map's route) moves there in one step and keeps the pause; played to the drive's end, O
// marks that end, and a seek opens the clip again there.
TEST_F(MainWindow, PausedReviewOfADriveStaysPausedAndItsEndCanBeMarkedAndLeft) {
    const std::filesystem::path card = TestFolder("window-review");
    const std::string small = " --seconds 3 --size 64x48 --fps 5 --steady 36 --origin 59,18";
    const QStringList clips{QString::fromStdString((card / "2024_0601_140000_F.MP4").string()),
                            QString::fromStdString((card / "2024_0601_140003_F.MP4").string())};
    const char* const starts[] = {"12:00:00", "12:00:03"};
    for (int i = 0; i < 2; ++i) {
        ASSERT_EQ(
            MakeClip(clips[i].toStdString(), std::string("--start 2024-06-01T") + starts[i] + small)
                .status,
            0);
    }
    window->AddClips(clips);
    CDriveTimeline* timeline = window->VideoView()->DriveTimeline();
    ASSERT_TRUE(PumpUntil([&] { return timeline->isVisible(); }));
    ASSERT_TRUE(PumpUntil([] { return mivex_drive_clip_count() == 2; }));
    ASSERT_TRUE(PumpUntil([&] { return started >= 1; }));
    ASSERT_EQ(mivex_pause(), 1);
    PumpFor(1100ms); // an open within a second of the last is refused

    // A clip listed meanwhile (as a camera's are) makes the list's drives anew; the drive
    // playing is still the one the engine holds.
    const QString later = QString::fromStdString((card / "2024_0601_141000_F.MP4").string());
    ASSERT_EQ(MakeClip(later.toStdString(), "--start 2024-06-01T12:10:00" + small).status, 0);
    int loads = 0;
    QObject::connect(window->Playlist()->Drives(), &CPlaylistDrives::loaded, [&] { ++loads; });
    window->Playlist()->List()->append(later);
    ASSERT_TRUE(PumpUntil([&] { return loads > 0; }));
    const int opens = started;
    emit timeline->seekRequested(4.5); // 1.5 s into the second clip, in one step
    EXPECT_EQ(window->GetCurrentFile(), clips[1]);
    EXPECT_TRUE(PumpUntil([] { return mivex_get_play_status() == kMivexPaused; }, 3s));
    PumpFor(500ms);
    EXPECT_EQ(started, opens) << "the seek opened a clip again";
    EXPECT_EQ(mivex_get_play_status(), kMivexPaused);
    EXPECT_NEAR(mivex_curr_play_time(), 1.5, 0.3);

    ASSERT_EQ(mivex_resume(), 1);
    ASSERT_TRUE(PumpUntil([] { return mivex_get_play_status() == kMivexStopped; }, 10s));
    Key(Qt::Key_O);
    ASSERT_TRUE(window->Excerpt().End().has_value());
    EXPECT_NEAR(*window->Excerpt().End(), 6.0, 0.3); // the drive's end

    emit timeline->seekRequested(1.0);
    ASSERT_TRUE(PumpUntil([&] { return started == opens + 1; }));
    EXPECT_EQ(window->GetCurrentFile(), clips[0]);
    EXPECT_TRUE(PumpUntil([] { return std::fabs(mivex_curr_play_time() - 1.0) < 0.5; }, 3s))
        << mivex_curr_play_time();
    std::filesystem::remove_all(card);
}

// A clip whose file was cut short (a power cut, a copy stopped) says so over its picture:
// without a word its early stop passes for the end of the recording.
TEST_F(MainWindow, AClipCutShortSaysWhereItsFileEnds) {
    const std::filesystem::path folder = TestFolder("window-cut");
    const std::string clip = (folder / "CUT.MP4").string();
    ASSERT_EQ(MakeClip(clip, "--seconds 10 --size 64x48 --fps 10 --no-embedded").status, 0);
    std::filesystem::resize_file(clip, std::filesystem::file_size(clip) / 2);
    window->AddClips({QString::fromStdString(clip)});
    ASSERT_TRUE(PumpUntil([&] { return started == 1; }));
    auto* note = window->VideoView()->findChild<QLabel*>(QStringLiteral("clipCutNote"));
    ASSERT_NE(note, nullptr);
    EXPECT_TRUE(note->isVisible());
    EXPECT_TRUE(note->text().contains(" of 00:00:10")) << note->text().toStdString();
    PumpFor(1100ms); // an open within a second of the last is refused
    window->AddClips({kData + "/drive.MP4"});
    ASSERT_TRUE(PumpUntil([&] { return started == 2; }));
    EXPECT_FALSE(note->isVisible());
    std::filesystem::remove_all(folder);
}

// A clip alone shows its driving events as marks on the progress slider, N and Shift+N
// jump to them, and the slider's right click lists them, as in a drive: the clip maker
// stabbed the brakes at second 25.
TEST_F(MainWindow, AClipAloneMarksItsEventsAndNJumpsToThem) {
    window->AddClips({kData + "/events/EVENT/brake.MP4"});
    ASSERT_TRUE(PumpUntil([&] { return started == 1; }));
    const CMySliderCtrl* slider = window->VideoView()->ProgressSlider();
    ASSERT_TRUE(PumpUntil([&] { return !slider->Marks().empty(); }, 20s));
    const std::vector<int> marks = slider->Marks();
    const auto brake = std::find_if(marks.begin(), marks.end(),
                                    [](int second) { return second >= 24 && second <= 27; });
    ASSERT_NE(brake, marks.end());
    ASSERT_EQ(mivex_pause(), 1);
    window->activateWindow();
    Key(Qt::Key_N);
    EXPECT_TRUE(PumpUntil(
        [&] {
            return marks.size() == 1 ? std::fabs(mivex_curr_play_time() - *brake) < 0.6
                                     : mivex_curr_play_time() > 1.0;
        },
        5s))
        << mivex_curr_play_time();

    // A right click on the slider lists the events, each line one to jump to.
    ASSERT_TRUE(PumpUntil([] { return !MivexEngine::Instance().Seeking(); }));
    const double before = mivex_curr_play_time();
    CMySliderCtrl* clicked = window->VideoView()->ProgressSlider();
    emit clicked->customContextMenuRequested(QPoint(5, 5));
    auto* list = clicked->findChild<CDriveEventMenu*>();
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->actions().size(), static_cast<qsizetype>(marks.size()));
    const size_t last = marks.size() - 1;
    list->actions().at(static_cast<qsizetype>(last))->trigger();
    EXPECT_TRUE(
        PumpUntil([&] { return std::fabs(mivex_curr_play_time() - marks[last]) < 0.6; }, 5s))
        << before << " -> " << mivex_curr_play_time();
}

// A card given as a folder (as `ostvik CARD/` does) lists its clips, Movie/ and Event/
// together in the order the camera recorded them, and plays the first: never one entry
// named after the folder and a black picture.
TEST_F(MainWindow, ACardGivenAsAFolderListsItsClipsAndPlaysTheFirst) {
    const std::filesystem::path card = TestFolder("window-card");
    std::filesystem::create_directories(card / "Movie");
    std::filesystem::create_directories(card / "Event");
    const std::string small = " --seconds 3 --size 64x48 --fps 5 --steady 36 --origin 59,18";
    const QStringList clips{
        QString::fromStdString((card / "Movie" / "2024_0601_140000_F.MP4").string()),
        QString::fromStdString((card / "Event" / "2024_0601_140003_F.MP4").string()),
        QString::fromStdString((card / "Movie" / "2024_0601_140006_F.MP4").string())};
    const char* const starts[] = {"12:00:00", "12:00:03", "12:00:06"};
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(
            MakeClip(clips[i].toStdString(), std::string("--start 2024-06-01T") + starts[i] + small)
                .status,
            0);
    }
    window->AddClips({QString::fromStdString(card.string())});
    ASSERT_TRUE(PumpUntil([&] { return started >= 1; }));
    QStringList listed;
    for (int i = 0; i < window->Playlist()->List()->count(); ++i) {
        listed.append(window->Playlist()->List()->text(i));
    }
    EXPECT_EQ(listed, clips);
    EXPECT_EQ(window->GetCurrentFile(), clips[0]);
    std::filesystem::remove_all(card);
}

// A locked clip (Event/) added after a clip of another drive stands with its own drive in
// the list, under the header that counts it, not after the stranger.
TEST_F(MainWindow, ALockedClipAddedLaterStandsWithItsDrive) {
    const std::filesystem::path card = TestFolder("window-locked");
    std::filesystem::create_directories(card / "Movie");
    std::filesystem::create_directories(card / "Event");
    const std::string small = " --seconds 3 --size 64x48 --fps 5 --steady 36 --origin 59,18";
    const QStringList clips{
        QString::fromStdString((card / "Movie" / "2024_0601_140000_F.MP4").string()),
        QString::fromStdString((card / "Movie" / "2024_0601_140003_F.MP4").string()),
        QString::fromStdString((card / "Movie" / "2024_0601_150000_F.MP4").string()),
        QString::fromStdString((card / "Event" / "2024_0601_140006_F.MP4").string())};
    const char* const starts[] = {"12:00:00", "12:00:03", "13:00:00", "12:00:06"};
    for (int i = 0; i < 4; ++i) {
        ASSERT_EQ(
            MakeClip(clips[i].toStdString(), std::string("--start 2024-06-01T") + starts[i] + small)
                .status,
            0);
    }
    window->AddClips(clips.mid(0, 3));
    ASSERT_TRUE(PumpUntil([&] { return started >= 1; }));
    window->AddClips({clips[3]});
    const CClipListModel* list = window->Playlist()->List();
    const QStringList expected{clips[0], clips[1], clips[3], clips[2]};
    EXPECT_TRUE(PumpUntil([&] {
        QStringList listed;
        for (int i = 0; i < list->count(); ++i) {
            listed.append(list->text(i));
        }
        return listed == expected;
    }));
    const QString header = list->data(list->index(0), CClipListModel::DriveHeaderRole).toString();
    EXPECT_TRUE(header.contains("3 clips")) << header.toStdString();
    std::filesystem::remove_all(card);
}

// A drive of two moments: the first recorded by the front, rear and interior cameras, the
// second by the front and rear only. Picking the rear clip plays the front one with both
// others in its picture; V puts them side by side, a click on one makes it big, and the
// drive's second moment keeps the interior's place.
TEST_F(MainWindow, EveryCameraOfAMomentPlaysInOnePictureFromAnyOfItsClips) {
    const std::filesystem::path card = TestFolder("window-channels");
    const std::string small = " --seconds 3 --size 64x48 --fps 5 --steady 36 --origin 59,18";
    const auto clip = [&](const char* name) {
        return QString::fromStdString((card / name).string());
    };
    const struct {
        const char* name;
        const char* start;
    } files[] = {{"2024_0601_140000_F.MP4", "12:00:00"},
                 {"2024_0601_140000_R.MP4", "12:00:00"},
                 {"2024_0601_140000_I.MP4", "12:00:00"},
                 {"2024_0601_140003_F.MP4", "12:00:03"},
                 {"2024_0601_140003_R.MP4", "12:00:03"}};
    for (const auto& file : files) {
        ASSERT_EQ(MakeClip(clip(file.name).toStdString(),
                           std::string("--start 2024-06-01T") + file.start + small)
                      .status,
                  0);
    }
    window->AddClips({clip("2024_0601_140000_R.MP4"), clip("2024_0601_140003_F.MP4")});
    ASSERT_TRUE(PumpUntil([&] { return started == 1; }));
    EXPECT_EQ(window->GetCurrentFile(), clip("2024_0601_140000_F.MP4"));
    CChannelPictures* pictures = window->VideoView()->ChannelPictures();
    EXPECT_EQ(pictures->Count(), 3);
    EXPECT_EQ(mivex_video_width(), 64) << "the others sit in the front's picture";

    mivex_pause();
    Key(Qt::Key_V);
    EXPECT_EQ(mivex_video_width(), 128) << "side by side";
    const ChannelCanvas canvas = mivex_channel_canvas();
    ASSERT_EQ(canvas.cells.size(), 3u);
    QWidget* video = window->VideoView()->VideoWindow();
    const PictureRect& rear = canvas.cells[1];
    const QPoint onRear((rear.x + rear.width / 2) * video->width() / canvas.width,
                        (rear.y + rear.height / 2) * video->height() / canvas.height);
    QMouseEvent press(QEvent::MouseButtonPress, onRear, video->mapToGlobal(onRear), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(video, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, onRear, video->mapToGlobal(onRear),
                        Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(video, &release);
    EXPECT_EQ(pictures->View().big, 1) << "the rear is big";

    mivex_resume();
    ASSERT_TRUE(PumpUntil([&] { return started == 2; }, 10s));
    EXPECT_EQ(window->GetCurrentFile(), clip("2024_0601_140003_F.MP4"));
    EXPECT_EQ(pictures->Count(), 3) << "the interior's place is kept";
    EXPECT_EQ(pictures->View().big, 1) << "and the rear stays big";
    std::filesystem::remove_all(card);
}

TEST_F(MainWindow, PlayingClipThatVanishesStopsAndLeavesTheList) {
    QTemporaryDir dir;
    const QString clip = dir.filePath("CLIP0001.MP4");
    ASSERT_TRUE(QFile::copy(kData + "/drive.MP4", clip));
    window->AddClips({kData + "/south.MP4", clip});
    ASSERT_TRUE(PumpUntil([&] { return started == 1; }));
    PumpFor(1s); // past the one-second gate between opens
    window->Playlist()->PlayItem(1);
    ASSERT_TRUE(PumpUntil([&] { return started == 2; }));
    ASSERT_TRUE(QFile::remove(clip));
    window->Playlist()->RemoveMissingFiles();
    EXPECT_EQ(window->Playlist()->List()->count(), 1);
    EXPECT_EQ(window->GetCurrentFile(), "");
    EXPECT_EQ(mivex_get_play_status(), kMivexStopped);
    EXPECT_FALSE(window->VideoView()->TickRunning());
    PumpFor(500ms);
}

TEST_F(MainWindow, FilesDroppedOnTheWindowAreAddedAndTheFirstPlays) {
    QMimeData files;
    files.setUrls(
        {QUrl::fromLocalFile(kData + "/south.MP4"), QUrl::fromLocalFile(kData + "/drive.MP4")});
    // As a file manager's drag does: it enters the window, then drops.
    QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.get(), &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(20, 20), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.get(), &drop);
    ASSERT_TRUE(PumpUntil([&] { return started == 1; }));
    EXPECT_EQ(window->GetCurrentFile(), kData + "/south.MP4");
    EXPECT_EQ(window->Playlist()->List()->count(), 2);
}

// ---------------------------------------------------------------- the window itself

TEST_F(MainWindow, StartsAt800By600WithTheDialInTheLowerRightCorner) {
    EXPECT_EQ(window->size(), QSize(800, 600));
    // (W - 280, H - 118) of an 800 x 600 client.
    EXPECT_EQ(window->SpeedDial()->geometry(), QRect(520, 482, 272, 110));
    window->resize(1366, 768);
    EXPECT_EQ(window->SpeedDial()->geometry(), QRect(1086, 650, 272, 110));
}

// Nothing smaller than the size at which no control and no pane covers another.
TEST_F(MainWindow, AtItsMinimumSizeNoControlCoversAnother) {
    window->resize(600, 450);
    EXPECT_EQ(window->size(), QSize(800, 500));
    auto expectApart = [](const std::vector<QWidget*>& widgets) {
        for (size_t i = 0; i < widgets.size(); ++i) {
            for (size_t j = i + 1; j < widgets.size(); ++j) {
                EXPECT_FALSE(widgets[i]->geometry().intersects(widgets[j]->geometry()))
                    << widgets[i]->objectName().toStdString() << " and "
                    << widgets[j]->objectName().toStdString();
            }
        }
    };
    std::vector<QWidget*> controls;
    for (QWidget* child : window->VideoView()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (child->isVisible() && (qobject_cast<QAbstractButton*>(child) != nullptr ||
                                   qobject_cast<QAbstractSlider*>(child) != nullptr)) {
            controls.push_back(child);
        }
    }
    EXPECT_GE(controls.size(), 7u);
    expectApart(controls);
    // The snapshot and export buttons share the time row with a label too.
    for (const int id : {CVideoViewDlg::IDC_SNAPSHOT, CVideoViewDlg::IDC_EXPORT}) {
        QPushButton* button = PaneButton(id);
        ASSERT_NE(button, nullptr) << id;
        EXPECT_TRUE(button->isVisible()) << id;
        for (QWidget* child :
             window->VideoView()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (child != button && child->isVisible()) {
                EXPECT_FALSE(button->geometry().intersects(child->geometry()))
                    << id << " and " << child->objectName().toStdString();
            }
        }
    }
    expectApart({window->VideoView(), window->Playlist(), window->GSenses(), window->MapHost(),
                 window->SpeedDial()});
}

// Offline in the window's map pane, the note leaves the layer list's entries uncovered
// and the attribution leaves the scale whole.
TEST_F(MainWindow, MapNotesCoverNoControlOfTheMap) {
    CMapView& map = *window->MapView();
    ASSERT_TRUE(
        PumpUntil([&] { return Js(map, "!document.getElementById('offline').hidden").toBool(); }));
    Js(map, "layerControl.expand(); 1");
    // The element at the start of each entry's text belongs to the list.
    EXPECT_TRUE(Js(map,
                   "Array.from(document.querySelectorAll('.leaflet-control-layers-list label'))"
                   ".every(function (e) { var r = e.getBoundingClientRect();"
                   "  return document.elementFromPoint(r.left + 4, (r.top + r.bottom) / 2)"
                   "    .closest('.leaflet-control-layers') !== null; })")
                    .toBool());
    EXPECT_FALSE(Js(map, "var a = document.querySelector('.leaflet-control-attribution')"
                         ".getBoundingClientRect();"
                         "Array.from(document.querySelectorAll('.leaflet-control-scale-line'))"
                         ".some(function (e) { var s = e.getBoundingClientRect();"
                         "  return s.right > a.left && s.left < a.right && s.bottom > a.top &&"
                         "         s.top < a.bottom; })")
                     .toBool());
}

TEST_F(MainWindow, SecondTransportSetIsRegisteredAndHidden) {
    const std::pair<int, const char*> hidden[] = {
        {1004, "slider.progress"},
        {1012, "static.progress"},
        {1017, "static.x"},
        {1018, "static.y"},
        {1019, "static.z"},
        {1014, "static.20"},
        {1015, "static.00"},
        {1016, "static._20"},
        {1002, "check.btn.mic"},
        {1003, "slider.volume"},
        {1005, "control.btn.stop"},
        {1006, "control.btn.back"},
        {1007, "control.btn.play"},
        {1008, "control.btn.next"},
        {1024, "slider.speed"},
        {1025, "static.speed"},
        {1026, "control.btn.videoshot"},
    };
    for (const auto& [id, element] : hidden) {
        QWidget* control = window->Control(id);
        ASSERT_NE(control, nullptr) << id;
        EXPECT_TRUE(control->isHidden()) << id;
        EXPECT_EQ(SkinElementOf(control), element) << id;
    }
    const std::pair<int, const char*> shown[] = {
        {1001, "btn.minimal.window"}, {1009, "btn.maximal.window"}, {1000, "btn.close.window"}};
    for (const auto& [id, element] : shown) {
        ASSERT_NE(window->Control(id), nullptr) << id;
        EXPECT_TRUE(window->Control(id)->isVisible()) << id;
        EXPECT_EQ(SkinElementOf(window->Control(id)), element) << id;
    }
    EXPECT_EQ(SkinElementOf(window.get()), "mainFrame");
    EXPECT_EQ(Hidden<QSlider>(1024)->value(), 3);
    EXPECT_EQ(Hidden<QSlider>(1024)->maximum(), 6);
    EXPECT_EQ(Hidden<QLabel>(1012)->text(), "00:00:00/00:00:00");
}

TEST_F(MainWindow, PressOnTheRimResizesAndOnTheSurfaceMoves) {
    Mouse(QEvent::MouseButtonPress, QPoint(3, 3));
    Mouse(QEvent::MouseButtonPress, QPoint(400, 1));
    Mouse(QEvent::MouseButtonPress, QPoint(799, 599));
    ASSERT_EQ(window->resizes.size(), 3u);
    EXPECT_EQ(window->resizes[0], Qt::LeftEdge | Qt::TopEdge);
    EXPECT_EQ(window->resizes[1], Qt::TopEdge);
    EXPECT_EQ(window->resizes[2], Qt::RightEdge | Qt::BottomEdge);
    EXPECT_EQ(window->moves, 0);

    Mouse(QEvent::MouseButtonPress, QPoint(300, 15)); // the title band
    EXPECT_EQ(window->moves, 1);
    Mouse(QEvent::MouseButtonPress, QPoint(200, 200)); // on the video pane
    Mouse(QEvent::MouseButtonPress, QPoint(300, 15), Qt::RightButton);
    EXPECT_EQ(window->moves, 1);
    EXPECT_EQ(window->resizes.size(), 3u);
}

// The dial is drawn on the window's surface and hands its presses on: they move the window.
TEST_F(MainWindow, PressOnTheDialMovesTheWindowAsOnItsSurface) {
    const QPoint at(30, 30);
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(at), window->SpeedDial()->mapToGlobal(at),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window->SpeedDial(), &press);
    EXPECT_EQ(window->moves, 1);
}

// x 510 is the window's surface between the video pane (to x 508) and the map (from 512).
TEST_F(MainWindow, DoubleClickAboveY53TogglesMaximise) {
    Mouse(QEvent::MouseButtonDblClick, QPoint(510, 53));
    EXPECT_FALSE(window->IsMaximised());
    // Over the video pane, which hands the double-click on unused, the title band is not
    // the window's surface: the pane starts at y 32.
    const QPoint onPane = window->VideoView()->mapFrom(window.get(), QPoint(300, 40));
    QMouseEvent paneClick(QEvent::MouseButtonDblClick, QPointF(onPane),
                          window->VideoView()->mapToGlobal(onPane), Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
    QApplication::sendEvent(window->VideoView(), &paneClick);
    EXPECT_FALSE(window->IsMaximised());
    Mouse(QEvent::MouseButtonDblClick, QPoint(510, 52));
    EXPECT_TRUE(window->IsMaximised());
    Mouse(QEvent::MouseButtonDblClick, QPoint(300, 20));
    EXPECT_FALSE(window->IsMaximised());
}

TEST_F(MainWindow, MaximiseFillsTheWorkAreaAndRestoreReturnsTheExactRectangle) {
    const QRect before(37, 41, 800, 600);
    window->setGeometry(before);
    PumpFor(100ms);
    ASSERT_EQ(window->geometry(), before);

    qobject_cast<QPushButton*>(window->Control(1009))->click();
    ASSERT_TRUE(window->IsMaximised());
    const QRect work = window->screen()->availableGeometry();
    EXPECT_EQ(window->geometry(),
              QRect(work.x() - 2, work.y() - 2, work.width() + 4, work.height() + 4));
    EXPECT_EQ(SkinElementOf(window->Control(1009)), "btn.restore.window");
    // No rim while maximised, and the title band does not drag the window off its place.
    Mouse(QEvent::MouseButtonPress, QPoint(1, 1));
    Mouse(QEvent::MouseButtonPress, QPoint(300, 15));
    EXPECT_TRUE(window->resizes.empty());
    EXPECT_EQ(window->moves, 0);

    qobject_cast<QPushButton*>(window->Control(1009))->click();
    EXPECT_FALSE(window->IsMaximised());
    EXPECT_EQ(window->geometry(), before);
    EXPECT_EQ(SkinElementOf(window->Control(1009)), "btn.maximal.window");
}

TEST_F(MainWindow, EnterAndEscapeNeverCloseTheWindowTheCloseButtonDoes) {
    Key(Qt::Key_Return);
    Key(Qt::Key_Enter);
    Key(Qt::Key_Escape);
    EXPECT_TRUE(window->isVisible());
    qobject_cast<QPushButton*>(window->Control(1000))->click();
    EXPECT_FALSE(window->isVisible());
}

// ---------------------------------------------------------------- commands

TEST_F(MainWindow, HiddenTransportButtonsReachTheVideoPaneAndThePlaylist) {
    window->AddClips({kData + "/drive.MP4", kData + "/south.MP4"});
    ASSERT_TRUE(PumpUntil([&] { return started == 1; }));
    Hidden<QPushButton>(1007)->click();
    EXPECT_EQ(mivex_get_play_status(), kMivexPaused);
    EXPECT_EQ(SkinElementOf(window->Control(1007)), "control.btn.play");
    Hidden<QPushButton>(1007)->click();
    EXPECT_EQ(mivex_get_play_status(), kMivexPlaying);
    EXPECT_EQ(SkinElementOf(window->Control(1007)), "control.btn.pause");

    PumpFor(1s); // past the one-second gate between opens
    Hidden<QPushButton>(1008)->click();
    ASSERT_TRUE(PumpUntil([&] { return started == 2; }));
    EXPECT_EQ(window->GetCurrentFile(), kData + "/south.MP4");
    PumpFor(1s);
    Hidden<QPushButton>(1006)->click();
    ASSERT_TRUE(PumpUntil([&] { return started == 3; }));
    EXPECT_EQ(window->GetCurrentFile(), kData + "/drive.MP4");

    Hidden<QPushButton>(1005)->click();
    EXPECT_EQ(mivex_get_play_status(), kMivexStopped);
}

TEST_F(MainWindow, HiddenSlidersActWhenLetGo) {
    window->AddClips({kData + "/drive.MP4"});
    ASSERT_TRUE(PumpUntil([&] { return started == 1; }));

    auto* progress = Hidden<QSlider>(1004);
    EXPECT_EQ(progress->maximum(), 12000) << "the video pane sets its range in milliseconds";
    DragTo(progress, 9000);
    ASSERT_EQ(mivex_pause(), 1);
    EXPECT_TRUE(PumpUntil([] { return std::fabs(mivex_curr_play_time() - 9.0) < 0.6; }, 5s))
        << mivex_curr_play_time();

    DragTo(Hidden<QSlider>(1024), 5);
    EXPECT_DOUBLE_EQ(EngineSpeed(), 4.0);
    DragTo(Hidden<QSlider>(1024), 3);
    EXPECT_DOUBLE_EQ(EngineSpeed(), 1.0);

    DragTo(Hidden<QSlider>(1003), 13107);
    EXPECT_EQ(window->Volume()->GetCurrentVolume(), 13107u);
    EXPECT_EQ(window->VideoView()->VolumeSlider()->value(), 13107)
        << "the video pane's own volume object hears of it";
}

TEST_F(MainWindow, MuteBoxAndVolumeSliderFollowEveryVolumeObject) {
    Hidden<QCheckBox>(1002)->click();
    EXPECT_TRUE(window->Volume()->IsMute());
    CSoundOutputVolumeImpl elsewhere;
    elsewhere.Initialize(nullptr);
    elsewhere.Mute(false);
    EXPECT_FALSE(Hidden<QCheckBox>(1002)->isChecked());
    elsewhere.SetCurrentVolume(1234);
    EXPECT_EQ(Hidden<QSlider>(1003)->value(), 1234);
    elsewhere.Finalize();
}

// ---------------------------------------------------------------- keys

TEST_F(MainWindow, KeysMuteChangeTheVolumeAndStepThroughClips) {
    window->AddClips({kData + "/drive.MP4", kData + "/south.MP4"});
    ASSERT_TRUE(PumpUntil([&] { return started == 1; }));
    window->Volume()->SetCurrentVolume(26214);
    Key(Qt::Key_Up);
    EXPECT_EQ(window->Volume()->GetCurrentVolume(), 26214u + 3276u); // 65535 / 20 per step
    Key(Qt::Key_Down);
    Key(Qt::Key_Down);
    EXPECT_EQ(window->Volume()->GetCurrentVolume(), 26214u - 3276u);
    const bool muted = window->Volume()->IsMute();
    Key(Qt::Key_M);
    EXPECT_EQ(window->Volume()->IsMute(), !muted);
    EXPECT_EQ(Hidden<QCheckBox>(1002)->isChecked(), !muted);

    PumpFor(1s); // past the one-second gate between opens
    Key(Qt::Key_Greater);
    ASSERT_TRUE(PumpUntil([&] { return started == 2; }));
    EXPECT_EQ(window->GetCurrentFile(), kData + "/south.MP4");
    PumpFor(1s);
    Key(Qt::Key_Less);
    ASSERT_TRUE(PumpUntil([&] { return started == 3; }));
    EXPECT_EQ(window->GetCurrentFile(), kData + "/drive.MP4");
}

TEST_F(MainWindow, CommaAndPeriodStepOneFrameOnlyWhilePaused) {
    window->AddClips({kData + "/drive.MP4"});
    ASSERT_TRUE(PumpUntil([&] { return started == 1; }));
    ASSERT_TRUE(window->VideoView()->SeekToFraction(0.5));
    ASSERT_EQ(mivex_pause(), 1);
    ASSERT_TRUE(PumpUntil([] { return !MivexEngine::Instance().Seeking(); }, 5s));
    const double at = mivex_curr_play_time();
    Key(Qt::Key_Period);
    ASSERT_TRUE(PumpUntil([&] { return mivex_curr_play_time() > at + 0.01; }, 5s));
    const double next = mivex_curr_play_time();
    EXPECT_LT(next, at + 0.5) << "one frame, not a jump";
    EXPECT_EQ(mivex_get_play_status(), kMivexPaused);
    Key(Qt::Key_Comma);
    EXPECT_TRUE(PumpUntil([&] { return std::fabs(mivex_curr_play_time() - at) < 0.01; }, 5s))
        << mivex_curr_play_time() << " back from " << next;

    ASSERT_EQ(mivex_resume(), 1);
    const double playing = mivex_curr_play_time();
    Key(Qt::Key_Comma);
    PumpFor(300ms);
    EXPECT_GE(mivex_curr_play_time(), playing) << "no step while playing";
}

TEST_F(MainWindow, FShowsTheVideoAloneAndBringsThePanesBack) {
    window->activateWindow();
    ASSERT_TRUE(PumpUntil([&] { return window->isActiveWindow(); }));
    Key(Qt::Key_F);
    ASSERT_TRUE(window->IsVideoFullScreen());
    EXPECT_TRUE(PumpUntil([&] { return window->VideoView()->geometry() == window->rect(); }))
        << "the picture fills the window";
    EXPECT_TRUE(window->MapHost()->isHidden());
    EXPECT_TRUE(window->Playlist()->isHidden());
    EXPECT_TRUE(window->SpeedDial()->isHidden());
    Key(Qt::Key_F);
    ASSERT_FALSE(window->IsVideoFullScreen());
    EXPECT_FALSE(window->MapHost()->isHidden());
    EXPECT_FALSE(window->Playlist()->isHidden());
    EXPECT_FALSE(window->SpeedDial()->isHidden());
    EXPECT_LT(window->VideoView()->width(), window->width());
}

TEST_F(MainWindow, LCollapsesThePlaylistAndTheVideoTakesItsPlace) {
    window->activateWindow();
    ASSERT_TRUE(PumpUntil([&] { return window->isActiveWindow(); }));
    const int height = window->VideoView()->height();
    Key(Qt::Key_L);
    ASSERT_TRUE(window->IsPlaylistCollapsed());
    EXPECT_TRUE(window->Playlist()->isHidden());
    EXPECT_GT(window->VideoView()->height(), height);
    // Full-screen video and back keeps the playlist collapsed.
    Key(Qt::Key_F);
    Key(Qt::Key_F);
    EXPECT_TRUE(window->Playlist()->isHidden());
    Key(Qt::Key_L);
    EXPECT_FALSE(window->Playlist()->isHidden());
    EXPECT_EQ(window->VideoView()->height(), height);
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
