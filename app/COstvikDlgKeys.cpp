// The window's keys: the shortcuts that act anywhere in it, the arrows it takes when no
// control that uses them has the focus, and the list of them the video pane shows.
#include "app/COstvikDlg.h"

#include "app/EmptyPaneHint.h"
#include "library/CPlaylistDlg.h"
#include "playback/CMySliderCtrl.h"
#include "playback/CSoundOutputVolumeImpl.h"
#include "playback/CVideoViewDlg.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QSlider>

#include <algorithm>

namespace {

constexpr double kSeekStepSeconds = 5.0;
// One step of the volume keys: a twentieth of the range, 5 %.
constexpr long kVolumeStep = 65535 / 20;

} // namespace

// These keys act anywhere in the window; the arrows are in keyPressEvent, so that a focused
// slider or list keeps them.
void COstvikDlg::CreateKeys() {
    auto key = [this](const QKeySequence& keys, auto action) {
        auto* shortcut = new QShortcut(keys, this);
        shortcut->setContext(Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, this, action);
    };
    key(QKeySequence(Qt::Key_Space), [this] { m_video->TogglePlayPause(); });
    key(QKeySequence(Qt::Key_M), [this] {
        const bool mute = !m_volume->IsMute();
        m_volume->Mute(mute);
        OnMuteChange(mute);
    });
    key(QKeySequence(Qt::Key_Less), [this] { PlayPrev(); });
    key(QKeySequence(Qt::Key_Greater), [this] { PlayNext(); });
    key(QKeySequence(Qt::Key_F), [this] { ToggleVideoFullScreen(); });
    key(QKeySequence(Qt::Key_Comma), [this] { StepFrame(false); });
    key(QKeySequence(Qt::Key_Period), [this] { StepFrame(true); });
    key(QKeySequence(Qt::Key_S), [this] { m_video->GrabSnapshot(); });
    key(QKeySequence(Qt::Key_L), [this] { TogglePlaylist(); });
    key(QKeySequence(Qt::Key_N), [this] { m_playlist->JumpToDriveEvent(true); });
    key(QKeySequence(Qt::SHIFT | Qt::Key_N), [this] { m_playlist->JumpToDriveEvent(false); });
    key(QKeySequence(Qt::Key_V), [this] { m_video->ChannelPictures()->ToggleArrangement(); });
    key(QKeySequence(Qt::Key_I), [this] { m_wiring->Excerpt().MarkStart(); });
    key(QKeySequence(Qt::Key_O), [this] { m_wiring->Excerpt().MarkEnd(); });
    key(QKeySequence(Qt::Key_E), [this] { ShowExportDialog(); });

    const QString keyList =
        tr("Space: play or pause\nLeft / Right: 5 seconds back / on\nUp / Down: volume\n"
           "M: mute\n< / >: previous / next clip\nF: full-screen video\n"
           ", / .: one frame back / on while paused\nS: snapshot\nL: hide or show the playlist\n"
           "N / Shift+N: next / previous driving event\n"
           "I / O: excerpt starts / ends here\n"
           "E: export the excerpt\n"
           "V: other cameras in a corner or side by side; click one to see it big, drag it "
           "to move it, wheel to size it");
    m_video->setToolTip(keyList);
    m_hint = new EmptyPaneHint(keyList, m_video);
    m_video->PlayButton()->setToolTip(tr("Play or pause (Space)"));
    m_video->ProgressSlider()->setToolTip(
        tr("Position (Left / Right: 5 seconds; , / .: one frame while paused; I / O: excerpt "
           "starts / ends here)"));
    m_video->VolumeSlider()->setToolTip(tr("Volume (Up / Down)"));
    m_video->MuteBox()->setToolTip(tr("Mute (M)"));
}

void COstvikDlg::ChangeVolumeBy(long delta) {
    const long level = std::clamp(static_cast<long>(m_volume->GetCurrentVolume()) + delta,
                                  static_cast<long>(m_volume->GetMinVolume()),
                                  static_cast<long>(m_volume->GetMaxVolume()));
    m_volume->SetCurrentVolume(static_cast<unsigned long>(level));
    // A volume object tells every sink but its own.
    OnVolumeChange(static_cast<unsigned long>(level));
}

// A frame step only means something on a still picture; while playing the keys do nothing.
void COstvikDlg::StepFrame(bool forward) {
    m_video->StepFrame(forward);
}

// Enter and Escape never close the window; Escape leaves full-screen video. The arrows come
// here when no control that uses them has the focus.
void COstvikDlg::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Escape:
        if (m_videoFullScreen) {
            ToggleVideoFullScreen();
        }
        event->accept();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        event->accept();
        return;
    case Qt::Key_Left:
        m_video->SeekBySeconds(-kSeekStepSeconds);
        return;
    case Qt::Key_Right:
        m_video->SeekBySeconds(kSeekStepSeconds);
        return;
    case Qt::Key_Up:
        ChangeVolumeBy(kVolumeStep);
        return;
    case Qt::Key_Down:
        ChangeVolumeBy(-kVolumeStep);
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}
