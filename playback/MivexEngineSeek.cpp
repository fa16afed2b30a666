// Seeks and frame steps of the open clip: exact, to the frame asked for rather than to a key
// frame.
#include "playback/MivexEngine.h"

#include "playback/MpvNames.h"
#include "playback/MpvProperties.h"

#include <charconv>

bool MivexEngine::SeekTo(double fraction) {
    if (!(fraction >= 0 && fraction <= 1)) {
        return false;
    }
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!ClipActive() || !m_state.restarted) {
            return false;
        }
    }
    if (!m_segments.Empty()) {
        const int clip = DriveClip();
        return SeekInDrive(clip, fraction * m_segments.Length(clip));
    }
    // to_chars writes the C locale's decimal point whatever the process locale says.
    char percent[32];
    const auto written = std::to_chars(percent, percent + sizeof percent - 1, fraction * 100,
                                       std::chars_format::fixed, 6);
    *written.ptr = '\0';
    const char* command[] = {mpvname::kSeek, percent, mpvname::kAbsolutePercentExact, nullptr};
    if (mpv_command(m_handle.get(), command) < 0) {
        return false;
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    m_state.seeking = true;
    return true;
}

bool MivexEngine::StepFrame(bool forward) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!ClipActive() || !m_state.restarted || StatusLocked() != kMivexPaused) {
            return false;
        }
    }
    // mpv shows the next frame and pauses again, or seeks exactly to the previous one; the
    // clip stays paused either way.
    const char* command[] = {forward ? mpvname::kFrameStep : mpvname::kFrameBackStep, nullptr};
    return mpv_command(m_handle.get(), command) >= 0;
}

bool MivexEngine::Seeking() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_state.seeking;
}
