#include "app/CExcerptLink.h"

#include "app/CDriveFollowerLink.h"
#include "playback/CDriveTimeline.h"
#include "playback/CMySliderCtrl.h"
#include "playback/CVideoViewDlg.h"
#include "playback/mivex.h"
#include "track/DriveAxis.h"

#include <QFile>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

std::string PathOf(const QString& clip) {
    return QFile::encodeName(clip).toStdString();
}

// A mark as a position of the slider, which counts the clip's milliseconds; `at` is where
// the clip starts in the marks' seconds. Marks far outside the clip stay outside the range.
std::optional<int> SliderValue(std::optional<double> mark, double at) {
    if (!mark) {
        return std::nullopt;
    }
    constexpr double kLimit = std::numeric_limits<int>::max() / 2;
    return static_cast<int>(std::clamp(std::round((*mark - at) * 1000.0), -kLimit, kLimit));
}

} // namespace

CExcerptLink::CExcerptLink(CVideoViewDlg* video, const CDriveFollowerLink* drives)
    : m_video(video), m_drives(drives) {
    QObject::connect(video, &CVideoViewDlg::clipStarted, video, [this] { FollowClip(); });
    CDriveTimeline* timeline = video->DriveTimeline();
    QObject::connect(timeline, &CDriveTimeline::excerptStartRequested, timeline,
                     [this] { MarkStart(); });
    QObject::connect(timeline, &CDriveTimeline::excerptEndRequested, timeline,
                     [this] { MarkEnd(); });
}

std::optional<double> CExcerptLink::PlaySecond() const {
    if (mivex_get_play_status() == kMivexStopped) {
        // Played to its end, a clip (or the drive it ends) is marked at that end.
        if (mivex_reached_end() != 1 || m_playedLength <= 0.0) {
            return std::nullopt;
        }
        if (!m_marks.InDrive()) {
            return m_playedLength;
        }
        const LoadedDrive& drive = *m_drives->ShownDrive();
        const std::optional<size_t> clip = drive.ClipIndex(m_marks.ClipPath());
        return clip ? std::optional<double>(DriveSecondOf(drive.drive, *clip, m_playedLength))
                    : std::nullopt;
    }
    const double clipSecond = mivex_curr_play_time();
    if (!m_marks.InDrive()) {
        return clipSecond;
    }
    const LoadedDrive& drive = *m_drives->ShownDrive();
    const std::optional<size_t> clip = drive.ClipIndex(m_marks.ClipPath());
    return clip ? std::optional<double>(DriveSecondOf(drive.drive, *clip, clipSecond))
                : std::nullopt;
}

void CExcerptLink::MarkStart() {
    FollowClip();
    if (const std::optional<double> second = PlaySecond()) {
        m_marks.SetStart(*second);
        Show();
    }
}

void CExcerptLink::MarkEnd() {
    FollowClip();
    if (const std::optional<double> second = PlaySecond()) {
        m_marks.SetEnd(*second);
        Show();
    }
}

void CExcerptLink::FollowClip() {
    if (mivex_get_play_status() != kMivexStopped) {
        m_playedLength = std::max(0.0, mivex_duration());
    }
    m_marks.Follow(PathOf(m_video->ClipPath()), m_drives->ShownDrive());
    Show();
}

void CExcerptLink::Show() {
    double clipAt = 0.0;
    if (m_marks.InDrive()) {
        const LoadedDrive& drive = *m_drives->ShownDrive();
        if (const std::optional<size_t> clip = drive.ClipIndex(m_marks.ClipPath())) {
            clipAt = DriveSecondOf(drive.drive, *clip, 0.0);
        }
        m_video->DriveTimeline()->SetExcerpt(m_marks.Start(), m_marks.End());
    }
    m_video->ProgressSlider()->SetExcerpt(SliderValue(m_marks.Start(), clipAt),
                                          SliderValue(m_marks.End(), clipAt));
}
