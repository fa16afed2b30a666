// A drive played as one timeline. The engine joins the clips into one (mpv's EDL), which
// marks each clip's start as a chapter; those marks are the boundaries every clip time is
// taken from, so the time the panes see is the playing clip's own.
#include "playback/MivexEngine.h"

#include "playback/MpvNames.h"
#include "playback/MpvProperties.h"

#include <algorithm>
#include <charconv>
#include <string>
#include <utility>

bool MivexEngine::OpenDrive(const std::vector<std::string>& paths, int first) {
    m_segments.Clear();
    if (paths.size() < 2 || first < 0 || static_cast<size_t>(first) >= paths.size()) {
        return false;
    }
    // Chapters count from 1, and starting at one is an exact seek before the first frame.
    const std::string start = "start=#" + std::to_string(first + 1);
    if (!Load(DriveTimelineAddress(paths).c_str(), 0, start.c_str())) {
        return false;
    }
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_state.driveClip = first;
    }
    mpv_handle* h = m_handle.get();
    const int64_t count = GetInt(h, mpvname::kChapterCount);
    std::vector<double> starts;
    for (int64_t i = 0; i < count && count == static_cast<int64_t>(paths.size()); ++i) {
        const std::string name = "chapter-list/" + std::to_string(i) + "/time";
        double time = 0;
        if (!GetDouble(h, name.c_str(), &time)) {
            break;
        }
        starts.push_back(time);
    }
    double total = 0;
    GetDouble(h, mpvname::kDuration, &total);
    m_segments.Set(std::move(starts), total);
    if (m_segments.Count() != static_cast<int>(paths.size())) {
        // A clip with chapters of its own, or one that could not be read: the boundaries
        // are unknown, and the clips are better opened one by one.
        qWarning("drive: the clips' boundaries are unknown; each clip opens alone");
        CloseFile();
        return false;
    }
    return true;
}

int MivexEngine::DriveClip() {
    if (m_segments.Empty()) {
        return 0;
    }
    {
        // Played to its end, the drive is at its last clip. Stopped, or on its way to a seek's
        // place, the position mpv reports is no longer, or not yet, the drive's: the clip is
        // the one last known, or the one sought. Opened and not yet played is stopped to the
        // panes, but its position is known.
        std::lock_guard<std::mutex> lock(m_mutex);
        if (PlayedOut()) {
            return m_segments.Count() - 1;
        }
        if (!ClipActive() || m_state.seeking) {
            return m_state.driveClip;
        }
    }
    double time = 0;
    const bool known = GetDouble(m_handle.get(), mpvname::kTimePos, &time);
    std::lock_guard<std::mutex> lock(m_mutex);
    if (known) {
        m_state.driveClip = ClipOfDrive(time);
    }
    return m_state.driveClip;
}

bool MivexEngine::SeekInDrive(int clip, double second) {
    if (clip < 0 || clip >= m_segments.Count() || !(second >= 0)) {
        return false;
    }
    // Past a clip's length is past its end: the last clip's would end the drive.
    const double length = m_segments.Length(clip);
    const double within = second < length ? second : std::max(0.0, length - 0.001);
    return SeekToDriveTime(m_segments.Start(clip) + within);
}

bool MivexEngine::SeekToDriveTime(double seconds) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!ClipActive() || !m_state.restarted) {
            return false;
        }
    }
    char number[32];
    const auto written =
        std::to_chars(number, number + sizeof number - 1, seconds, std::chars_format::fixed, 6);
    *written.ptr = '\0';
    int before = 0;
    {
        // Marked before mpv takes the seek, which it carries out only on its next turn.
        std::lock_guard<std::mutex> lock(m_mutex);
        before = std::exchange(m_state.driveClip, ClipOfDrive(seconds));
        m_state.seeking = true;
    }
    const char* command[] = {mpvname::kSeek, number, mpvname::kAbsoluteExact, nullptr};
    if (mpv_command(m_handle.get(), command) < 0) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_state.driveClip = before;
        m_state.seeking = false;
        return false;
    }
    return true;
}
