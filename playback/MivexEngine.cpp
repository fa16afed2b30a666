#include "playback/MivexEngine.h"

#include "playback/CNaviPlayWnd.h"
#include "playback/MpvNames.h"
#include "playback/MpvProperties.h"

#include <QObject>
#include <QThread>

#include <algorithm>
#include <cmath>

namespace {

// reply_userdata of the observed properties.
enum Observed : uint64_t { kObsVolume = 1, kObsMute, kObsSubText, kObsSubStart };

// A local file shows its first frame in about a tenth of a second; a stream may take a
// while to connect, and a camera's web server is often slow.
constexpr auto kFileLoadTimeout = std::chrono::seconds(10);
constexpr auto kStreamLoadTimeout = std::chrono::seconds(30);
constexpr auto kStartTimeout = std::chrono::seconds(10);
constexpr double kMinSpeed = 0.125;
constexpr double kMaxSpeed = 8;

// The clip a play thread started, so that its wait ends with that clip even if the UI has
// opened another one meanwhile.
thread_local int64_t t_playEntry = 0;
thread_local uint64_t t_playSession = 0;

} // namespace

MivexEngine& MivexEngine::Instance() {
    // Never destroyed: play threads that outlive the UI may still look at its state.
    static MivexEngine* engine = new MivexEngine;
    return *engine;
}

bool MivexEngine::Open(mivex_callbacks* callbacks) {
    if (m_handle) {
        m_callbacks = callbacks;
        return true;
    }
    MpvHandle handle(mpv_create());
    if (!handle) {
        return false;
    }
    mpv_handle* h = handle.get();
    using namespace mpvname;
    // Without a window that can take frames, playback still runs into the null output, so
    // that time, seeking and data lines keep working.
    mpv_set_option_string(h, kVo, m_options.headless ? kNull : kLibmpvThenNull);
    if (m_options.headless || m_options.noAudio) {
        mpv_set_option_string(h, kAo, kNull);
    }
    mpv_set_option_string(h, kAudioFallbackToNull, kYes);
    mpv_set_option_string(h, kIdle, kYes);
    mpv_set_option_string(h, kKeepOpen, kNo);
    mpv_set_option_string(h, kTerminal, kNo);
    mpv_set_option_string(h, kInputDefaultBindings, kNo);
    mpv_set_option_string(h, kInputVoKeyboard, kNo);
    mpv_set_option_string(h, kOsc, kNo);
    mpv_set_option_string(h, kOsdLevel, "0");
    mpv_set_option_string(h, kLoadScripts, kNo);
    // mpv's own statistics page and console answer only to its key bindings and draw only on
    // its OSD, both off here; loaded, each would still start a script interpreter of its own.
    mpv_set_option_string(h, kLoadStatsOverlay, kNo);
    mpv_set_option_string(h, kLoadOsdConsole, kNo);
    mpv_set_option_string(h, kLoadAutoProfiles, kNo);
    mpv_set_option_string(h, kYtdl, kNo);
    // Only the clip's own streams: a stray .srt beside it must not pose as its data.
    mpv_set_option_string(h, kSubAuto, kNo);
    mpv_set_option_string(h, kAudioFileAuto, kNo);
    // The data stream's cues are read through sub-text; drawn, they would cover the picture.
    mpv_set_option_string(h, kSubVisibility, kNo);
    // Decoding stays in software, so the picture needs no hardware interop; the render
    // context would otherwise load them all, and the CUDA one writes a line to the terminal
    // on every machine without NVIDIA's driver.
    mpv_set_option_string(h, kGpuHwdecInterop, kNo);
    mpv_set_option_string(h, kHrSeek, kYes);
    mpv_set_option_string(h, kBackground, kBlueBlack);
    mpv_set_option_string(h, kPause, kYes);
    mpv_set_option(h, kVolume, MPV_FORMAT_DOUBLE, &m_volumePercent);
    int mute = m_muted ? 1 : 0;
    mpv_set_option(h, kMute, MPV_FORMAT_FLAG, &mute);
    if (mpv_initialize(h) < 0) {
        return false;
    }
    mpv_observe_property(h, kObsVolume, kVolume, MPV_FORMAT_DOUBLE);
    mpv_observe_property(h, kObsMute, kMute, MPV_FORMAT_FLAG);
    mpv_observe_property(h, kObsSubText, kSubText, MPV_FORMAT_STRING);
    mpv_observe_property(h, kObsSubStart, kSubStart, MPV_FORMAT_DOUBLE);

    m_callbacks = callbacks;
    m_context = std::make_unique<QObject>();
    m_ownerThread = QThread::currentThread();
    m_drainQueued = false;
    m_eventEntry = 0;
    m_haveCue = false;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_handle = std::move(handle);
        m_state = PlayState{m_state.session + 1};
        m_state.open = true;
    }
    mpv_set_wakeup_callback(h, OnWakeup, this);
    if (m_window && !m_options.headless) {
        m_window->AttachCore(h);
    }
    return true;
}

void MivexEngine::Close() {
    if (!m_handle) {
        return;
    }
    MpvHandle handle;
    {
        // From here on no play thread touches the core, and every waiting one wakes up.
        std::lock_guard<std::mutex> lock(m_mutex);
        handle = std::move(m_handle);
        m_state.open = false;
        m_state.endedThrough = std::max(m_state.endedThrough, m_state.current);
        m_state.closedThrough = m_state.current;
        m_state.started = false;
    }
    m_changed.notify_all();
    if (m_window) {
        m_window->DetachCore();
    }
    // Synchronised with a wakeup in progress, so none can reach the context below.
    mpv_set_wakeup_callback(handle.get(), nullptr, nullptr);
    m_context.reset();
    m_callbacks = nullptr;
    m_channelInputs.clear();
    m_graphSet = false;
    handle.reset();
}

void MivexEngine::SubclassWindow(QWidget* window) {
    auto* video = qobject_cast<CNaviPlayWnd*>(window);
    if (video == nullptr) {
        return;
    }
    if (m_window && m_window != video) {
        m_window->DetachCore();
    }
    m_window = video;
    if (m_handle && !m_options.headless) {
        video->AttachCore(m_handle.get());
    }
}

void MivexEngine::UnsubclassWindow(QWidget* window) {
    if (m_window && m_window == window) {
        m_window->DetachCore();
        m_window = nullptr;
    }
}

bool MivexEngine::ClipActive() const {
    return m_state.open && m_state.current != 0 && m_state.endedThrough < m_state.current;
}

int MivexEngine::StatusLocked() const {
    if (!ClipActive() || !m_state.started) {
        return kMivexStopped;
    }
    return m_state.paused ? kMivexPaused : kMivexPlaying;
}

void MivexEngine::CloseFile() {
    if (!m_handle) {
        return;
    }
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_state.endedThrough = std::max(m_state.endedThrough, m_state.current);
        m_state.closedThrough = m_state.current;
        m_state.started = false;
        m_state.seeking = false;
    }
    m_changed.notify_all();
    const char* command[] = {mpvname::kStop, nullptr};
    mpv_command(m_handle.get(), command);
}

bool MivexEngine::OpenFile(const char* path, int kind) {
    m_segments.Clear();
    return Load(path, kind, nullptr);
}

bool MivexEngine::Load(const char* path, int kind, const char* options) {
    if (!m_handle || path == nullptr || *path == '\0') {
        return false;
    }
    CloseFile();
    DropChannels();
    if (m_window && !m_options.headless) {
        m_window->PrepareRenderContext();
    }
    mpv_handle* h = m_handle.get();
    SetFlag(h, mpvname::kPause, true);
    const char* command[] = {mpvname::kLoadFile, path, mpvname::kReplace, options, nullptr};
    MpvNode result;
    if (mpv_command_ret(h, command, result.Fill()) < 0) {
        result.Discard();
        return false;
    }
    const int64_t entry = NodeInt(result.Find(mpvname::kPlaylistEntryId));
    if (entry == 0) {
        CloseFile();
        return false;
    }
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_state.current = entry;
        m_state.restarted = false;
        m_state.started = false;
        m_state.paused = true;
        m_state.seeking = false;
        m_state.width = m_state.height = 0;
        m_state.duration = 0;
    }
    m_haveCue = false;

    const Clock::time_point deadline =
        Clock::now() + (kind == 0 ? Clock::duration(kFileLoadTimeout) : kStreamLoadTimeout);
    WaitUntil([&] { return m_state.restarted || m_state.endedThrough >= entry; }, &deadline);
    bool loaded;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        loaded = m_state.restarted && ClipActive();
    }
    if (!loaded) {
        // Not decodable, gone, a playlist in disguise, or too slow: nothing stays loaded.
        CloseFile();
        return false;
    }
    const int width = static_cast<int>(GetInt(h, mpvname::kWidth));
    const int height = static_cast<int>(GetInt(h, mpvname::kHeight));
    double duration = 0;
    GetDouble(h, mpvname::kDuration, &duration);
    std::lock_guard<std::mutex> lock(m_mutex);
    m_state.width = width;
    m_state.height = height;
    m_state.duration = duration;
    return true;
}

int MivexEngine::VideoWidth() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_state.width;
}

int MivexEngine::VideoHeight() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_state.height;
}

bool MivexEngine::Play() {
    const Clock::time_point deadline = Clock::now() + kStartTimeout;
    std::unique_lock<std::mutex> lock(m_mutex);
    if (!ClipActive()) {
        return false;
    }
    const int64_t entry = m_state.current;
    const uint64_t session = m_state.session;
    // Holding the lock keeps Close from destroying the core under this call; the core never
    // calls back into code that takes the lock, so this cannot deadlock.
    SetFlag(m_handle.get(), mpvname::kPause, false);
    m_state.started = true;
    m_state.paused = false;
    lock.unlock();
    t_playEntry = entry;
    t_playSession = session;
    m_changed.notify_all();
    return WaitUntil(
        [&] {
            return m_state.session != session || m_state.endedThrough >= entry || m_state.restarted;
        },
        &deadline);
}

void MivexEngine::WaitForCompletion() {
    int64_t entry;
    uint64_t session;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_state.open || (t_playEntry == 0 && m_state.current == 0)) {
            return;
        }
        const bool played = t_playSession == m_state.session && t_playEntry != 0;
        entry = played ? t_playEntry : m_state.current;
        session = m_state.session;
    }
    t_playEntry = 0;
    WaitUntil([&] { return m_state.session != session || m_state.endedThrough >= entry; }, nullptr);
}

bool MivexEngine::Pause() {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (StatusLocked() == kMivexStopped) {
        return false;
    }
    SetFlag(m_handle.get(), mpvname::kPause, true);
    m_state.paused = true;
    return true;
}

bool MivexEngine::Resume() {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (StatusLocked() == kMivexStopped) {
        return false;
    }
    SetFlag(m_handle.get(), mpvname::kPause, false);
    m_state.paused = false;
    return true;
}

bool MivexEngine::Stop() {
    if (!m_handle) {
        return false;
    }
    CloseFile();
    return true;
}

bool MivexEngine::ReachedEnd() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return PlayedOut();
}

bool MivexEngine::PlayedOut() const {
    return m_state.current != 0 && m_state.playedOut == m_state.current;
}

int MivexEngine::PlayStatus() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return StatusLocked();
}

double MivexEngine::CurrentTime() {
    if (PlayStatus() == kMivexStopped) {
        return 0;
    }
    double time = 0;
    if (!GetDouble(m_handle.get(), mpvname::kTimePos, &time) || !(time > 0)) {
        return 0;
    }
    return m_segments.Empty() ? time : std::max(0.0, time - m_segments.Start(ClipOfDrive(time)));
}

double MivexEngine::Duration() {
    if (!m_segments.Empty()) {
        return m_segments.Length(DriveClip());
    }
    double duration = 0;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!ClipActive()) {
            return m_state.duration;
        }
        duration = m_state.duration;
    }
    double live = 0;
    return GetDouble(m_handle.get(), mpvname::kDuration, &live) ? live : duration;
}

bool MivexEngine::SetSpeed(double factor) {
    if (!m_handle || !(factor >= kMinSpeed && factor <= kMaxSpeed)) {
        return false;
    }
    return mpv_set_property(m_handle.get(), mpvname::kSpeed, MPV_FORMAT_DOUBLE, &factor) >= 0;
}

bool MivexEngine::OnOwnerThread() const {
    return QThread::currentThread() == m_ownerThread;
}

bool MivexEngine::WaitUntil(const std::function<bool()>& done, const Clock::time_point* deadline) {
    if (!OnOwnerThread()) {
        std::unique_lock<std::mutex> lock(m_mutex);
        if (deadline == nullptr) {
            m_changed.wait(lock, done);
            return true;
        }
        return m_changed.wait_until(lock, *deadline, done);
    }
    for (;;) {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (done()) {
                return true;
            }
        }
        if (!m_handle) {
            return false;
        }
        double timeout = -1;
        if (deadline != nullptr) {
            timeout = std::chrono::duration<double>(*deadline - Clock::now()).count();
            if (timeout <= 0) {
                return false;
            }
        }
        const mpv_event* event = mpv_wait_event(m_handle.get(), timeout);
        if (event->event_id != MPV_EVENT_NONE) {
            HandleEvent(*event);
            m_changed.notify_all();
        }
    }
}

void MivexEngine::OnWakeup(void* self) {
    // Runs on an mpv thread, where no mpv call is allowed: only queue a drain.
    auto* engine = static_cast<MivexEngine*>(self);
    if (!engine->m_drainQueued.exchange(true)) {
        QMetaObject::invokeMethod(
            engine->m_context.get(),
            [engine] {
                engine->m_drainQueued = false;
                engine->Drain();
            },
            Qt::QueuedConnection);
    }
}

void MivexEngine::Drain() {
    while (m_handle) {
        const mpv_event* event = mpv_wait_event(m_handle.get(), 0);
        if (event->event_id == MPV_EVENT_NONE) {
            break;
        }
        HandleEvent(*event);
    }
    m_changed.notify_all();
}

void MivexEngine::HandleEvent(const mpv_event& event) {
    switch (event.event_id) {
    case MPV_EVENT_START_FILE:
        m_eventEntry = static_cast<const mpv_event_start_file*>(event.data)->playlist_entry_id;
        break;
    case MPV_EVENT_FILE_LOADED:
        SelectDataTrack();
        break;
    case MPV_EVENT_PLAYBACK_RESTART: {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_eventEntry == m_state.current) {
            m_state.restarted = true;
            m_state.seeking = false;
        }
        break;
    }
    case MPV_EVENT_END_FILE: {
        const auto* end = static_cast<const mpv_event_end_file*>(event.data);
        std::lock_guard<std::mutex> lock(m_mutex);
        m_state.endedThrough = std::max(m_state.endedThrough, end->playlist_entry_id);
        // An end of file that comes in after we closed the clip is our close, not its end.
        if (end->reason == MPV_END_FILE_REASON_EOF &&
            end->playlist_entry_id > m_state.closedThrough) {
            m_state.playedOut = end->playlist_entry_id;
        }
        break;
    }
    case MPV_EVENT_PROPERTY_CHANGE:
        switch (event.reply_userdata) {
        case kObsVolume:
            OnVolumeChanged();
            break;
        case kObsMute:
            OnMuteChanged();
            break;
        case kObsSubText:
        case kObsSubStart:
            CheckCue();
            break;
        default:
            break;
        }
        break;
    default:
        break;
    }
}
