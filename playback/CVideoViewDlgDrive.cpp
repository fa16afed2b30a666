// A drive played as one timeline in the video pane: opening it, following the engine from
// clip to clip, and seeks across its clips.
#include "playback/CVideoViewDlg.h"

#include "playback/CMySliderCtrl.h"
#include "playback/ClipCutNote.h"
#include "playback/DriveChannels.h"
#include "playback/VideoPaneRules.h"

#include <QFile>

#include <cmath>
#include <string>
#include <vector>

bool CVideoViewDlg::OpenDrive(const QStringList& clips, int first) {
    if (clips.size() < 2 || first < 0 || first >= clips.size()) {
        return false;
    }
    std::vector<ChannelMoment> moments;
    if (m_pictures != nullptr && m_channelFinder) {
        for (const QString& clip : clips) {
            moments.push_back(m_channelFinder(clip));
        }
        if (!DriveCamerasLineUp(moments)) {
            return false;
        }
    }
    // The clip already open, opened again with its drive, is no new open of the user's.
    if (clips[first] != m_clipPath && !m_openGate.Accept(m_clock())) {
        return false;
    }
    std::vector<QByteArray> names;
    std::vector<const char*> paths;
    for (const QString& clip : clips) {
        names.push_back(QFile::encodeName(clip));
    }
    for (const QByteArray& name : names) {
        paths.push_back(name.constData());
    }
    mivex_close_file();
    m_driveClips.clear();
    if (mivex_open_drive(paths.data(), static_cast<int>(paths.size()), first) == 0) {
        return false;
    }
    m_driveClips = clips;
    m_driveClip = first;
    m_clipPath = clips[first];
    m_cutNote->ShowFor(m_clipPath);
    m_videoWidth = mivex_video_width();
    m_videoHeight = mivex_video_height();
    if (m_pictures != nullptr) {
        m_pictures->Clear();
        if (!moments.empty()) {
            std::vector<double> lengths;
            for (int clip = 0; clip < clips.size(); ++clip) {
                lengths.push_back(mivex_drive_clip_length(clip));
            }
            m_pictures->Show(JoinDriveChannels(moments, lengths));
        }
    }
    StartPlaying();
    return true;
}

bool CVideoViewDlg::SeekInDrive(int clip, double second) {
    if (m_driveClips.isEmpty() || mivex_seek_in_drive(clip, second) == 0) {
        return false;
    }
    EnterDriveClip(clip);
    return true;
}

void CVideoViewDlg::FollowDriveClip() {
    if (!m_driveClips.isEmpty()) {
        EnterDriveClip(mivex_drive_clip());
    }
}

void CVideoViewDlg::EnterDriveClip(int clip) {
    if (clip == m_driveClip || clip < 0 || clip >= m_driveClips.size()) {
        return;
    }
    m_driveClip = clip;
    m_clipPath = m_driveClips[clip];
    m_cutNote->ShowFor(m_clipPath);
    const double duration = mivex_drive_clip_length(clip);
    const int range = Milliseconds(duration);
    emit progressRangeChanged(range);
    m_progress->setRange(0, range);
    m_totalText = TimeText(static_cast<unsigned>(duration));
    emit driveClipEntered(m_clipPath);
    // The new clip's own log beside it, as when a clip is opened.
    emit clipTrackStarts();
}

void CVideoViewDlg::WatchDriveBoundary(double clipSecond) {
    if (m_driveClips.isEmpty() || m_driveClip + 1 >= m_driveClips.size()) {
        return;
    }
    const double left = mivex_drive_clip_length(m_driveClip) - clipSecond;
    if (left >= 0 && left * 1000 < kTickMs) {
        m_boundaryWatch.start(static_cast<int>(left * 1000) + 20);
    }
}
