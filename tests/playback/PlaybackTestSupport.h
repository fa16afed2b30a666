// What the engine tests share: the application and the clips made for them once per run
// (at the first test that asks for one), a play thread that behaves like the video pane's,
// and a volume sink that records what it is told.
#pragma once

#include "playback/ISoundOutputVolumeNotify.h"
#include "playback/mivex.h"

#include <QString>

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace playtest {

// Folder of this run's clips: data.MP4 (4 s, 320x240, 10 fps, one keyframe, data
// subtitles, sidecar data.TXT), plain.MP4 (3 s, no subtitles), cues.MP4 (see MivexTest),
// notes.txt (a text file).
QString ClipDir();
std::string Clip(const char* name);

// Runs a command line, returns its exit status.
int Run(const QString& program, const QStringList& arguments);

// The video pane's play thread: play, then "started", then wait, then "ended".
class PlayThread {
public:
    PlayThread();
    ~PlayThread();
    bool Started() const { return m_started; }
    bool Ended() const { return m_ended; }
    int PlayResult() const { return m_playResult; }
    std::vector<std::string> Events() const;
    // Pumps the UI thread until the thread has ended and joins it.
    bool Finish(std::chrono::milliseconds timeout = std::chrono::seconds(15));

private:
    mutable std::mutex m_mutex;
    std::vector<std::string> m_events;
    std::atomic<bool> m_started{false};
    std::atomic<bool> m_ended{false};
    std::atomic<int> m_playResult{-1};
    std::thread m_thread;
};

struct RecordingSink : ISoundOutputVolumeNotify {
    std::vector<unsigned long> volumes;
    std::vector<bool> mutes;
    void OnVolumeChange(unsigned long volume) override { volumes.push_back(volume); }
    void OnMuteChange(bool mute) override { mutes.push_back(mute); }
};

// The data lines the engine delivered, and whether each came on the UI thread.
struct LineLog {
    std::vector<std::string> lines;
    bool allOnUiThread = true;
};
int RecordLine(const char* line, int length, void* context);

} // namespace playtest
