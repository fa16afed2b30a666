// The video pane: the picture and the transport controls under it. It drives the playback
// engine, runs one play thread per opened clip, and owns the player's clock, the 500 ms
// tick that moves the progress sliders and time labels and announces the current second.
// What the transport shows and asks for goes out as signals, which the window connects to
// its twins of the controls and the wiring root to the playlist and the panes that follow.
#pragma once

#include "playback/CChannelPictures.h"
#include "playback/ISoundOutputVolumeNotify.h"
#include "playback/VideoPaneRules.h"
#include "playback/mivex.h"
#include "track/SnapshotFacts.h"

#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>

class QImage;

class CDriveTimeline;
class CMySliderCtrl;
class CSoundOutputVolumeImpl;
class QCheckBox;
class QLabel;
class ClipCutNote;
class QPushButton;
class QSlider;
struct LoadedDrive;
struct PlayThreadLink;

class CVideoViewDlg : public QWidget, public ISoundOutputVolumeNotify {
    Q_OBJECT

public:
    enum ControlId {
        IDC_LOGO = 1022,
        IDC_PROGRESS = 1029,
        IDC_TIME = 1028,
        IDC_MUTE = 1034,
        IDC_VOLUME = 1035,
        IDC_STOP = 1030,
        IDC_BACK = 1031,
        IDC_PLAY = 1032,
        IDC_NEXT = 1033,
        IDC_SPEED = 1036,
        IDC_SPEED_SCALE = 1037,
        IDC_SNAPSHOT = 1038,
        IDC_EXPORT = 1039,
    };
    static constexpr int kPlaybackTimerId = 11000;
    static constexpr int kTickMs = 500;
    // A stepped frame shows within a few frames' time; a second bounds the wait.
    static constexpr int kStepWatchMs = 20;
    static constexpr int kStepWatchTries = 50;
    static constexpr unsigned long kDefaultVolume = 26214;

    explicit CVideoViewDlg(QWidget* parent = nullptr, const MivexOptions& engine = {});
    ~CVideoViewDlg() override;

    static CVideoViewDlg* Instance();

    // What other cameras recorded the moment of a clip; none by default.
    void SetChannelFinder(std::function<ChannelMoment(const QString&)> finder) {
        m_channelFinder = std::move(finder);
    }
    // The open clip's cameras as the user handles them.
    CChannelPictures* ChannelPictures() const { return m_pictures; }

    bool OpenClip(const QString& path);
    // Plays a drive's clips as one, from the start of clip `first`: the picture goes on from
    // clip to clip with nothing reopened, and driveClipEntered says when another clip is
    // entered. False, with nothing opened, when the engine cannot join them or the drive's
    // cameras do not line up from clip to clip; then open the clip alone.
    bool OpenDrive(const QStringList& clips, int first);
    // Moves to `second` of the open drive's clip `clip` in one step; false with no drive.
    bool SeekInDrive(int clip, double second);
    // False while OpenClip would be refused for coming too soon after the last open.
    bool WouldAcceptOpen() const { return m_openGate.WouldAccept(m_clock()); }
    void StopClip();
    void TogglePlayPause();
    bool SeekToFraction(double fraction);
    // Moves to `second` of the clip, held within it.
    bool SeekToSecond(double second);
    // Moves by `delta` seconds from the play time, within the clip; the arrow keys use it.
    bool SeekBySeconds(double delta);
    // One frame on or back from a paused picture; the display follows as soon as the engine
    // shows the new frame. False while playing or with no clip.
    bool StepFrame(bool forward);
    void SetSpeed(float factor);
    void SetSpeedFromSlider();
    // The speed slider position every clip opened plays at, while the pane's own slider
    // shows normal speed again; normal unless the window's speed slider says otherwise.
    void SetOpeningSpeed(int position) { m_openingSpeed = position; }
    void SetPlayButtonFace(bool playFace);
    void LayoutVideoWindow();
    void GrabSnapshot();

    void OnVolumeChange(unsigned long volume) override;
    void OnMuteChange(bool mute) override;

    // The millisecond clock of the open gate; tests set their own.
    void SetClock(std::function<uint32_t()> clock) { m_clock = std::move(clock); }
    // Asks where to save a snapshot, given the default path (the folder last saved to, at
    // first the user's pictures); empty for cancel.
    void SetSavePathPrompt(std::function<QString(const QString&)> prompt) {
        m_savePathPrompt = std::move(prompt);
    }

    // What the track knows of the clip's second at a play time, written into PNG snapshots;
    // nothing by default.
    void SetSnapshotFacts(std::function<SnapshotFacts(double)> facts) {
        m_snapshotFacts = std::move(facts);
    }

    // Writes a snapshot's one-page report when the user saves it as PDF: the frame, the clip,
    // its play time and the track's facts there, and the path; false, with `why`, when not
    // written. Without one, PDF is not offered.
    using SnapshotReportWriter = std::function<bool(
        const QImage&, const QString&, double, const SnapshotFacts&, const QString&, QString&)>;
    void SetSnapshotReport(SnapshotReportWriter writer) { m_snapshotReport = std::move(writer); }

    // The clip last opened; empty before any.
    const QString& ClipPath() const { return m_clipPath; }
    const QString& CurrentText() const { return m_currentText; }
    const QString& TotalText() const { return m_totalText; }
    CMySliderCtrl* ProgressSlider() const { return m_progress; }
    // The drive timeline between the picture and the transport row, hidden until a drive
    // is shown on it; the picture gives it room while it shows.
    CDriveTimeline* DriveTimeline() const { return m_driveTimeline; }
    void ShowDrive(std::shared_ptr<const LoadedDrive> drive);
    QLabel* TimeLabel() const { return m_timeLabel; }
    QSlider* VolumeSlider() const { return m_volume; }
    QCheckBox* MuteBox() const { return m_mute; }
    QSlider* SpeedSlider() const { return m_speed; }
    QPushButton* PlayButton() const { return m_play; }
    QWidget* VideoWindow() const { return m_videoWindow; }
    QLabel* Logo() const { return m_logo; }
    bool TickRunning() const { return m_tick.isActive(); }

signals:
    void clipStarted();
    void clipEnded();
    // The clip's picture starts, a drive's next clip included: its sidecar's lines are due
    // now, before the first tick shows a second of them.
    void clipTrackStarts();
    // The open drive went on into another of its clips, played into or sought.
    void driveClipEntered(const QString& path);
    // The export button was pressed; the excerpt and its dialog belong to the main window.
    void exportRequested();
    // The play button now shows the play face (else the pause face); the window's twin
    // of it follows.
    void playFaceShown(bool playFace);
    // The progress slider's range and position and the time label's text, in the same
    // steps as the pane's own, for the window's hidden twins of them.
    void progressRangeChanged(int maximum);
    void progressPositionChanged(int position);
    void timeTextChanged(const QString& text);
    // The second the picture shows, on every tick, paused seek and frame step: the chart,
    // the map, the dial and the playlist's drive follow it, before the call returns.
    void secondShown(unsigned second);
    // The transport asks the playlist for the next, the previous or the current clip.
    void nextClipAsked();
    void previousClipAsked();
    void currentClipAsked();
    // The clip played to its end, before the transport resets: the playlist goes on.
    void clipPlayedOut();

protected:
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void CreateControls();
    void CreateVideoWindow();
    void StartPlaying();
    // Enters the drive's clip the engine plays now, when it is another than the last seen.
    void FollowDriveClip();
    void EnterDriveClip(int clip);
    // Wakes just after the playing clip's end, so that the next clip is followed at once.
    void WatchDriveBoundary(double clipSecond);
    void OnClipStarted();
    void OnClipEnded();
    void OnTick();
    void OnStepWatch();
    // The slider, the time labels and the follower at `seconds` of the clip.
    void ShowPosition(double seconds, bool paused);
    // The pane's play button and, through playFaceShown, the window's twin.
    void ShowPlayFace(bool playFace);
    void OnMuteClicked(bool checked);
    void ApplyVolumeSlider();
    void ResetTransport();
    void ResetProgress();

    mivex_callbacks m_callbacks{};
    QWidget* m_videoWindow = nullptr;
    std::shared_ptr<PlayThreadLink> m_link;
    int m_generation = 0;
    QString m_totalText;
    QString m_currentText;
    int m_videoWidth = 0;
    int m_videoHeight = 0;
    int m_paneWidth = 0;
    int m_paneHeight = 0;
    std::unique_ptr<CSoundOutputVolumeImpl> m_volumeObject;
    int m_openingSpeed = 3;
    COpenGate m_openGate;
    std::function<uint32_t()> m_clock;
    std::function<QString(const QString&)> m_savePathPrompt;
    std::function<ChannelMoment(const QString&)> m_channelFinder;
    std::function<SnapshotFacts(double)> m_snapshotFacts;
    SnapshotReportWriter m_snapshotReport;
    CChannelPictures* m_pictures = nullptr;
    QTimer m_tick;
    // Watches for the stepped frame's time after a frame step.
    QTimer m_stepWatch;
    double m_timeBeforeStep = 0;
    int m_stepWatchLeft = 0;
    QString m_clipPath;
    QStringList m_driveClips; // the open drive's clips; empty for a lone clip
    int m_driveClip = 0;
    QTimer m_boundaryWatch;
    QString m_snapshotFolder;

    QLabel* m_logo = nullptr;
    CMySliderCtrl* m_progress = nullptr;
    CDriveTimeline* m_driveTimeline = nullptr;
    QLabel* m_timeLabel = nullptr;
    QCheckBox* m_mute = nullptr;
    QSlider* m_volume = nullptr;
    QPushButton* m_stop = nullptr;
    QPushButton* m_back = nullptr;
    QPushButton* m_play = nullptr;
    QPushButton* m_next = nullptr;
    QPushButton* m_snapshot = nullptr;
    QPushButton* m_export = nullptr;
    QSlider* m_speed = nullptr;
    QLabel* m_speedScale = nullptr;
    QLabel* m_speedChosen = nullptr; // the speed the slider chose, beside the time
    ClipCutNote* m_cutNote = nullptr;
    void ShowSpeedChosen();
};
