#include "playback/CVideoViewDlg.h"

#include "playback/CDriveTimeline.h"
#include "playback/CMySliderCtrl.h"
#include "playback/CNaviPlayWnd.h"
#include "playback/CSoundOutputVolumeImpl.h"
#include "playback/ClipCutNote.h"
#include "playback/SnapshotFileDialog.h"
#include "skin/SkinSE.h"
#include "track/TrackDispatch.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QPushButton>
#include <QResizeEvent>
#include <QSlider>
#include <QStyle>
#include <QToolTip>

#include <chrono>
#include <cmath>
#include <mutex>
#include <thread>

namespace {

CVideoViewDlg* g_videoView = nullptr;

const QEvent::Type kClipStartedEvent = static_cast<QEvent::Type>(QEvent::User + 1);
const QEvent::Type kClipEndedEvent = static_cast<QEvent::Type>(QEvent::User + 2);

// Carries the open it belongs to, so the events of a play thread whose clip was replaced
// by a newer open are told apart and dropped.
class ClipEvent : public QEvent {
public:
    ClipEvent(Type type, int generation) : QEvent(type), generation(generation) {}
    const int generation;
};

void DoNothing() {}

uint32_t TickCount() {
    using namespace std::chrono;
    return static_cast<uint32_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

} // namespace

// What a play thread shares with the pane: the pane forgets itself here when it goes, so a
// thread still waiting for its clip to end posts to nobody.
struct PlayThreadLink {
    std::mutex mutex;
    CVideoViewDlg* pane = nullptr;

    void Post(QEvent::Type type, int generation) {
        std::lock_guard<std::mutex> guard(mutex);
        if (pane != nullptr) {
            QCoreApplication::postEvent(pane, new ClipEvent(type, generation));
        }
    }
};

CVideoViewDlg* CVideoViewDlg::Instance() {
    return g_videoView;
}

CVideoViewDlg::CVideoViewDlg(QWidget* parent, const MivexOptions& engine)
    : QWidget(parent), m_link(std::make_shared<PlayThreadLink>()), m_clock(TickCount) {
    g_videoView = this;
    m_link->pane = this;
    setObjectName(QStringLiteral("132"));
    setAutoFillBackground(true);
    m_savePathPrompt = [this](const QString& defaultPath) {
        const std::unique_ptr<QFileDialog> dialog = MakeSnapshotFileDialog(this, defaultPath);
        return dialog->exec() == QDialog::Accepted && !dialog->selectedFiles().isEmpty()
                   ? dialog->selectedFiles().first()
                   : QString();
    };

    CreateControls();

    if (!m_volumeObject) {
        m_volumeObject = std::make_unique<CSoundOutputVolumeImpl>();
        m_volumeObject->Initialize(this);
    }
    m_mute->setChecked(m_volumeObject->IsMute());
    m_volume->setRange(static_cast<int>(m_volumeObject->GetMinVolume()),
                       static_cast<int>(m_volumeObject->GetMaxVolume()));
    m_volume->setValue(static_cast<int>(kDefaultVolume));
    ResetProgress();
    m_speed->setRange(0, 6);
    m_speed->setValue(3);

    m_callbacks.first_event_cb = DoNothing;
    m_callbacks.second_event_cb = DoNothing;
    m_callbacks.data_line_cb = DispatchTrackLine;
    m_callbacks.owner_window = this;
    m_callbacks.owner_context = this;
    m_callbacks.reserved = nullptr;
    mivex_configure(engine);
    mivex_open(&m_callbacks);

    CreateVideoWindow();
    if (m_videoWindow != nullptr) {
        mivex_subclasswindow(m_videoWindow);
    }

    m_tick.setObjectName(QString::number(kPlaybackTimerId));
    m_tick.setInterval(kTickMs);
    m_boundaryWatch.setSingleShot(true);
    connect(&m_boundaryWatch, &QTimer::timeout, this, &CVideoViewDlg::OnTick);
    connect(&m_tick, &QTimer::timeout, this, &CVideoViewDlg::OnTick);
    m_stepWatch.setInterval(kStepWatchMs);
    connect(&m_stepWatch, &QTimer::timeout, this, &CVideoViewDlg::OnStepWatch);
}

CVideoViewDlg::~CVideoViewDlg() {
    {
        std::lock_guard<std::mutex> guard(m_link->mutex);
        m_link->pane = nullptr;
    }
    m_tick.stop();
    if (m_videoWindow != nullptr) {
        mivex_unsubclasswindow(m_videoWindow);
        delete m_videoWindow;
        m_videoWindow = nullptr;
    }
    mivex_close();
    if (m_volumeObject) {
        m_volumeObject->Finalize();
    }
    if (g_videoView == this) {
        g_videoView = nullptr;
    }
}

void CVideoViewDlg::CreateVideoWindow() {
    if (m_videoWindow != nullptr) {
        return;
    }
    auto* window = new CNaviPlayWnd(this);
    m_videoWindow = window;
    m_videoWindow->setGeometry(3, 3, 400, 400);
    m_videoWindow->hide();
    m_pictures = new CChannelPictures(window, this);
    connect(m_pictures, &CChannelPictures::pictureChanged, this, [this] {
        m_videoWidth = mivex_video_width();
        m_videoHeight = mivex_video_height();
        LayoutVideoWindow();
    });
}

bool CVideoViewDlg::OpenClip(const QString& path) {
    if (!m_openGate.Accept(m_clock())) {
        return false;
    }
    const QByteArray bytes = QFile::encodeName(path);
    mivex_close_file();
    m_driveClips.clear();
    if (mivex_open_file(bytes.constData(), AddressKind(path), 0) == 0) {
        return false;
    }
    m_clipPath = path;
    m_cutNote->ShowFor(path);
    m_videoWidth = mivex_video_width();
    m_videoHeight = mivex_video_height();
    if (m_pictures != nullptr) {
        m_pictures->Clear();
        if (m_channelFinder) {
            m_pictures->Show(m_channelFinder(path));
        }
    }
    StartPlaying();
    return true;
}

void CVideoViewDlg::StartPlaying() {
    const int generation = ++m_generation;
    std::thread([link = m_link, generation] {
        mivex_play(0);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        link->Post(kClipStartedEvent, generation);
        mivex_wait_for_completion();
        link->Post(kClipEndedEvent, generation);
    }).detach();

    if (m_videoWindow != nullptr) {
        m_videoWindow->show();
    }
    m_logo->hide();
    m_speed->setValue(3);
    SetSpeed(SpeedFactor(m_openingSpeed));
    m_volumeObject->SetCurrentVolume(static_cast<unsigned long>(m_volume->value()));
}

bool CVideoViewDlg::event(QEvent* event) {
    if (event->type() == kClipStartedEvent || event->type() == kClipEndedEvent) {
        const auto* clip = static_cast<ClipEvent*>(event);
        if (clip->generation == m_generation) {
            if (event->type() == kClipStartedEvent) {
                OnClipStarted();
            } else {
                OnClipEnded();
            }
        }
        return true;
    }
    // The pane's tool tip (the key list) would lie over the picture whenever the mouse
    // rests on it; while a clip plays it waits for a pause.
    if (event->type() == QEvent::ToolTip && mivex_get_play_status() == kMivexPlaying) {
        QToolTip::hideText();
        event->ignore();
        return true;
    }
    return QWidget::event(event);
}

void CVideoViewDlg::OnClipStarted() {
    ShowPlayFace(false);
    m_tick.start();
    const double duration = mivex_duration();
    const int range = Milliseconds(duration);
    emit progressRangeChanged(range);
    m_progress->setRange(0, range);
    m_totalText = TimeText(static_cast<unsigned>(duration));
    emit clipTrackStarts();
    LayoutVideoWindow();
    emit clipStarted();
}

// A paused picture keeps its tick too: a frame step moves it without a seek.
void CVideoViewDlg::OnTick() {
    const int status = mivex_get_play_status();
    if (status == kMivexPlaying || status == kMivexPaused) {
        FollowDriveClip();
        const double seconds = mivex_curr_play_time();
        ShowPosition(seconds, status == kMivexPaused);
        if (status == kMivexPlaying) {
            WatchDriveBoundary(seconds);
        }
    }
}

void CVideoViewDlg::ShowPosition(double seconds, bool paused) {
    const int ms = Milliseconds(seconds);
    emit progressPositionChanged(ms);
    if (!m_progress->isSliderDown()) {
        m_progress->setValue(ms);
    }
    const auto second = static_cast<unsigned>(ms / 1000);
    m_currentText = TimeText(second);
    const QString label =
        (paused ? TenthsTimeText(seconds) : m_currentText) + QLatin1Char('/') + m_totalText;
    emit timeTextChanged(label);
    m_timeLabel->setText(label);

    emit secondShown(second);
}

void CVideoViewDlg::OnClipEnded() {
    // At 4x and 8x the last tick can show a second well before the end; only the engine
    // knows that the clip played out, rather than being stopped or failing.
    if (mivex_reached_end() == 1) {
        // A drive played out has played its last clip, however briefly it was shown.
        if (!m_driveClips.isEmpty()) {
            EnterDriveClip(static_cast<int>(m_driveClips.size()) - 1);
        }
        m_currentText.clear();
        emit clipPlayedOut();
    }
    ResetTransport();
    emit clipEnded();
}

void CVideoViewDlg::StopClip() {
    if (mivex_stop() != 1) {
        return;
    }
    m_driveClips.clear();
    ResetTransport();
    if (m_videoWindow != nullptr) {
        m_videoWindow->hide();
    }
    if (m_pictures != nullptr) {
        m_pictures->Clear();
    }
    m_tick.stop();
}

// The play face, the main window's time label reset, both progress sliders at 0 of 0; the
// pane's own time label keeps the last time shown.
void CVideoViewDlg::ResetTransport() {
    ShowPlayFace(true);
    emit timeTextChanged(QStringLiteral("00:00:00/00:00:00"));
    emit progressRangeChanged(0);
    emit progressPositionChanged(0);
    ResetProgress();
}

void CVideoViewDlg::ResetProgress() {
    m_progress->setRange(0, 0);
    m_progress->setValue(0);
}

void CVideoViewDlg::TogglePlayPause() {
    switch (mivex_get_play_status()) {
    case kMivexStopped:
        emit currentClipAsked();
        break;
    case kMivexPaused:
        if (mivex_resume() == 1) {
            ShowPlayFace(false);
        }
        break;
    case kMivexPlaying:
        if (mivex_pause() == 1) {
            ShowPlayFace(true);
            ShowPosition(mivex_curr_play_time(), true);
        }
        break;
    default:
        break;
    }
}

// A paused picture is sought too, and the display follows at once rather than at the
// next tick: a user stopping at a moment must see the time, the map and the chart of the
// frame shown.
bool CVideoViewDlg::SeekToFraction(double fraction) {
    const int status = mivex_get_play_status();
    if (status != kMivexPlaying && status != kMivexPaused) {
        return false;
    }
    if (mivex_seek_to(fraction) != 1) {
        return false;
    }
    if (status == kMivexPaused) {
        ShowPosition(fraction * mivex_duration(), true);
    }
    return true;
}

// A frame step is not a seek: the engine shows the frame a moment later, and only then
// does its time read the new frame. The display follows that time at once rather than at
// the next tick, as it does after a paused seek.
bool CVideoViewDlg::StepFrame(bool forward) {
    if (mivex_get_play_status() != kMivexPaused) {
        return false;
    }
    m_timeBeforeStep = mivex_curr_play_time();
    if (mivex_frame_step(forward ? 1 : 0) != 1) {
        return false;
    }
    m_stepWatchLeft = kStepWatchTries;
    m_stepWatch.start();
    return true;
}

void CVideoViewDlg::OnStepWatch() {
    const double now = mivex_curr_play_time();
    const bool moved = now != m_timeBeforeStep;
    if (moved && mivex_get_play_status() == kMivexPaused) {
        ShowPosition(now, true);
    }
    if (moved || --m_stepWatchLeft <= 0) {
        m_stepWatch.stop();
    }
}

bool CVideoViewDlg::SeekToSecond(double second) {
    const double duration = mivex_duration();
    return duration > 0 && SeekToFraction(std::clamp(second / duration, 0.0, 1.0));
}

bool CVideoViewDlg::SeekBySeconds(double delta) {
    return SeekToSecond(mivex_curr_play_time() + delta);
}

void CVideoViewDlg::SetSpeed(float factor) {
    mivex_set_play_speed(factor);
}

void CVideoViewDlg::SetSpeedFromSlider() {
    SetSpeed(SpeedFactor(m_speed->value()));
}

void CVideoViewDlg::SetPlayButtonFace(bool playFace) {
    SkinSE_SubclassWindow(m_play, playFace ? QStringLiteral("control.btn.play")
                                           : QStringLiteral("control.btn.pause"));
    m_play->setIcon(style()->standardIcon(playFace ? QStyle::SP_MediaPlay : QStyle::SP_MediaPause));
    SkinSE_SetLayoutMainFrame(this);
}

void CVideoViewDlg::ShowPlayFace(bool playFace) {
    SetPlayButtonFace(playFace);
    emit playFaceShown(playFace);
}

void CVideoViewDlg::LayoutVideoWindow() {
    // Just above the progress slider, as wide as it.
    constexpr int kTimelineGap = 2;
    const bool timeline = m_driveTimeline != nullptr && !m_driveTimeline->isHidden();
    if (timeline) {
        m_driveTimeline->setGeometry(8, m_paneHeight - 68 - CDriveTimeline::kHeight,
                                     std::max(0, m_paneWidth - 16), CDriveTimeline::kHeight);
    }
    if (m_videoWindow == nullptr || !m_videoWindow->isVisible()) {
        return;
    }
    m_videoWindow->setGeometry(
        VideoWindowRect(m_paneWidth, m_paneHeight, m_videoWidth, m_videoHeight,
                        timeline ? CDriveTimeline::kHeight + kTimelineGap : 0));
    m_cutNote->PlaceOver(m_videoWindow->geometry());
}

void CVideoViewDlg::ShowDrive(std::shared_ptr<const LoadedDrive> drive) {
    m_driveTimeline->SetDrive(std::move(drive));
    LayoutVideoWindow();
}

void CVideoViewDlg::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    m_paneWidth = event->size().width();
    m_paneHeight = event->size().height();
    LayoutVideoWindow();
    if (m_logo != nullptr) {
        SkinSE_SetLayoutWindowPos(m_logo, (m_paneWidth - 243) / 2, (m_paneHeight - 260) / 2,
                                  (m_paneWidth + 243) / 2, (m_paneHeight + 260) / 2);
    }
    SkinSE_SetLayoutMainFrame(this);
}

// The frame is taken when it is asked for, before the dialog: the picture plays on while
// the user chooses a name, and the frame saved must be the one asked for.
void CVideoViewDlg::ApplyVolumeSlider() {
    if (m_volumeObject) {
        m_volumeObject->SetCurrentVolume(static_cast<unsigned long>(m_volume->value()));
    }
}

// The box turns the player's one mute switch, the one it shows and the M key turns too;
// the volume level stays, so clearing the box brings the sound back as it was.
void CVideoViewDlg::OnMuteClicked(bool checked) {
    m_volumeObject->Mute(checked);
}

void CVideoViewDlg::OnVolumeChange(unsigned long volume) {
    m_volume->setValue(static_cast<int>(volume));
}

void CVideoViewDlg::OnMuteChange(bool mute) {
    m_mute->setChecked(mute);
}
