#include "app/CVideoPaneLink.h"

#include "playback/CVideoViewDlg.h"
#include "playback/mivex.h"

CVideoPaneLink::CVideoPaneLink(CVideoViewDlg* pane) : m_pane(pane) {
    m_started = QObject::connect(pane, &CVideoViewDlg::clipStarted, pane, [this] {
        if (m_pendingSeek) {
            m_pane->SeekToSecond(*m_pendingSeek);
            m_pendingSeek.reset();
        }
        if (m_pauseOnStart && mivex_get_play_status() == kMivexPlaying) {
            m_pane->TogglePlayPause();
        }
        m_pauseOnStart = false;
    });
}

CVideoPaneLink::~CVideoPaneLink() {
    QObject::disconnect(m_started);
    QObject::disconnect(m_driveClip);
}

bool CVideoPaneLink::WouldAcceptOpen() const {
    return m_pane->WouldAcceptOpen();
}

bool CVideoPaneLink::OpenClip(const QString& path) {
    m_pendingSeek.reset();
    m_pauseOnStart = false;
    return m_pane->OpenClip(path);
}

void CVideoPaneLink::StopClip() {
    m_pane->StopClip();
}

bool CVideoPaneLink::SeekClip(double second) {
    if (m_pane->SeekToSecond(second)) {
        m_pendingSeek.reset();
        return true;
    }
    m_pendingSeek = second;
    return true;
}

bool CVideoPaneLink::Paused() const {
    return mivex_get_play_status() == kMivexPaused;
}

bool CVideoPaneLink::ClipOpen() const {
    return mivex_get_play_status() != kMivexStopped;
}

void CVideoPaneLink::HoldPausedOnStart() {
    m_pauseOnStart = true;
}

bool CVideoPaneLink::OpenDrive(const QStringList& clips, int first) {
    m_pendingSeek.reset();
    m_pauseOnStart = false;
    return m_pane->OpenDrive(clips, first);
}

double CVideoPaneLink::PlayTime() const {
    return mivex_curr_play_time();
}

bool CVideoPaneLink::SeekDriveClip(int clip, double second) {
    return m_pane->SeekInDrive(clip, second);
}

void CVideoPaneLink::SetDriveClipFollower(std::function<void(const QString&)> follower) {
    QObject::disconnect(m_driveClip);
    m_driveClip =
        QObject::connect(m_pane, &CVideoViewDlg::driveClipEntered, m_pane,
                         [follower = std::move(follower)](const QString& path) { follower(path); });
}
