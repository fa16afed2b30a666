// The one mpv core behind the engine's function interface. It owns the mpv handle, drains
// mpv's events on the UI thread, keeps the playback state that the play thread waits on and
// the UI reads, hands the data stream's track lines to the callback record, and holds the
// sound settings that every volume object shares.
#pragma once

#include "playback/ChannelFilterGraph.h"
#include "playback/DriveSegments.h"
#include "playback/MpvOwners.h"
#include "playback/mivex.h"

#include <QImage>
#include <QPointer>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class CNaviPlayWnd;
class ISoundOutputVolumeNotify;
class QObject;
class QThread;

class MivexEngine {
public:
    static MivexEngine& Instance();

    void Configure(const MivexOptions& options) { m_options = options; }
    // The core while open, else nullptr; for the video window and for tests. UI thread.
    mpv_handle* Core() const { return m_handle.get(); }
    bool Open(mivex_callbacks* callbacks);
    void Close();

    void SubclassWindow(QWidget* window);
    void UnsubclassWindow(QWidget* window);

    void CloseFile();
    bool OpenFile(const char* path, int kind);
    int VideoWidth() const;
    int VideoHeight() const;
    bool Play();
    void WaitForCompletion();
    bool Pause();
    bool Resume();
    bool Stop();
    int PlayStatus() const;
    // The clip loaded last played to its end of file: not stopped, closed or failed.
    bool ReachedEnd() const;
    double CurrentTime();
    double Duration();
    // A fraction of the clip playing, also when it is one clip of a drive.
    bool SeekTo(double fraction);

    // A drive's clips played as one timeline from the start of clip `first`: nothing is
    // reopened where one clip ends and the next begins. Every time the engine gives (time,
    // duration, seeks, the data stream's cues) stays the playing clip's own. UI thread.
    bool OpenDrive(const std::vector<std::string>& paths, int first);
    // The clip of the open drive playing now, and how many the drive has (0 for a lone clip).
    int DriveClip();
    int DriveClipCount() const { return m_segments.Count(); }
    double DriveClipLength(int clip) const { return m_segments.Length(clip); }
    bool SeekInDrive(int clip, double second);
    // A seek has been asked for and its frame is not shown yet. Until then time-pos already
    // reads the target, so this is the only way to tell that the frame has arrived.
    bool Seeking() const;
    bool SetSpeed(double factor);
    // One frame on or back from a paused picture; refused while playing or with no clip.
    bool StepFrame(bool forward);
    // The frame shown now (or the one a seek in flight asked for); null when there is none.
    QImage GrabImage();
    bool GrabFrame(const char* path);

    // Other cameras of the open clip's moment; see mivex_add_channels.
    int AddChannels(const MivexChannel* channels, int count);
    bool SetChannelView(const ChannelView& view);
    ChannelView GetChannelView() const { return m_channelView; }
    ChannelCanvas Canvas() const;

    // Sound settings live here rather than only in mpv so that they can be set before the
    // core exists; they are applied when it is made. Every call is on the UI thread. A change
    // reaches every volume object except the one that made it.
    void AddVolumeSink(ISoundOutputVolumeNotify* sink);
    void RemoveVolumeSink(ISoundOutputVolumeNotify* sink);
    double VolumePercent() const { return m_volumePercent; }
    bool Muted() const { return m_muted; }
    void SetVolumePercent(double percent, ISoundOutputVolumeNotify* origin);
    void SetMuted(bool muted, ISoundOutputVolumeNotify* origin);

private:
    MivexEngine() = default;

    // Playback state shared by the UI thread and play threads, guarded by m_mutex.
    struct PlayState {
        uint64_t session = 0;     // one per mivex_open, so waits outlive a close and reopen
        bool open = false;        // a core exists
        int64_t current = 0;      // playlist entry of the last loaded clip, 0 when none
        int64_t endedThrough = 0; // every entry up to this one has ended
        int64_t playedOut = 0;    // the last entry that ended at its end of file
        bool restarted = false;   // the current clip has shown its first frame
        bool started = false;     // mivex_play ran on the current clip
        bool paused = true;
        bool seeking = false;
        int driveClip = 0;         // the open drive's clip last known to play, or sought
        int64_t closedThrough = 0; // every entry up to this one was closed by us
        int width = 0;
        int height = 0;
        double duration = 0;
    };

    using Clock = std::chrono::steady_clock;

    bool Load(const char* path, int kind, const char* options);
    int ClipOfDrive(double driveTime) const { return m_segments.ClipAt(driveTime); }
    bool SeekToDriveTime(double seconds);
    bool ClipActive() const;  // call with m_mutex held
    bool PlayedOut() const;   // call with m_mutex held
    int StatusLocked() const; // call with m_mutex held
    bool OnOwnerThread() const;
    // Waits until `done` (called with m_mutex held) is true or the deadline passes. On the
    // UI thread it drains mpv's events itself, since no queued drain can run while it waits.
    bool WaitUntil(const std::function<bool()>& done, const Clock::time_point* deadline);
    void Drain();
    void HandleEvent(const mpv_event& event);
    // Calls `visit` with each entry of the track list until it answers false.
    void ForEachTrack(const std::function<bool(const mpv_node&)>& visit);
    void SelectDataTrack();
    // The open clip's own video and sound tracks, and the id of the external video track
    // opened from each of `paths` (0 where none was).
    void ReadTracks(const std::vector<std::string>& paths, int* video, int* audio,
                    std::vector<int>* external);
    bool ApplyChannelGraph();
    void DropChannels();
    void CheckCue();
    void OnVolumeChanged();
    void OnMuteChanged();
    void NotifyVolume(ISoundOutputVolumeNotify* origin);
    void NotifyMute(ISoundOutputVolumeNotify* origin);
    static void OnWakeup(void* self);

    MivexOptions m_options;
    MpvHandle m_handle;                 // see MpvOwners.h: destroyed on the UI thread
    std::unique_ptr<QObject> m_context; // lives on the UI thread; queued work runs on it
    QThread* m_ownerThread = nullptr;
    std::atomic<bool> m_drainQueued{false};
    mivex_callbacks* m_callbacks = nullptr;
    QPointer<CNaviPlayWnd> m_window;

    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    PlayState m_state;

    // Drain-only state (UI thread).
    int64_t m_eventEntry = 0; // entry the events being drained belong to
    bool m_haveCue = false;
    std::string m_lastCueText;
    double m_lastCueStart = 0;

    DriveSegments m_segments; // the open drive's clips; empty for a lone clip (UI thread)

    // Channels of the open clip (UI thread); the first input is the clip itself.
    std::vector<ChannelInput> m_channelInputs;
    ChannelView m_channelView;
    int m_mainWidth = 0;
    int m_mainHeight = 0;
    int m_audioTrack = 0;
    bool m_graphSet = false;

    // Sound settings (UI thread).
    double m_volumePercent = 100;
    bool m_muted = false;
    std::vector<ISoundOutputVolumeNotify*> m_volumeSinks;
};
