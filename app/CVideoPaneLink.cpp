#include "app/CVideoPaneLink.h"

#include "playback/CVideoViewDlg.h"
#include "playback/mivex.h"

#include <algorithm>

namespace {

bool SeekTo(CVideoViewDlg* pane, double second) {
    const double duration = mivex_duration();
    return duration > 0.0 && pane->SeekToFraction(std::clamp(second / duration, 0.0, 1.0));
}

} // namespace

CVideoPaneLink::CVideoPaneLink(CVideoViewDlg* pane) : m_pane(pane) {
    m_started = QObject::connect(pane, &CVideoViewDlg::clipStarted, pane, [this] {
        if (m_pendingSeek) {
            SeekTo(m_pane, *m_pendingSeek);
            m_pendingSeek.reset();
        }
    });
}

CVideoPaneLink::~CVideoPaneLink() {
    QObject::disconnect(m_started);
}

bool CVideoPaneLink::WouldAcceptOpen() const {
    return m_pane->WouldAcceptOpen();
}

bool CVideoPaneLink::OpenClip(const QString& path) {
    m_pendingSeek.reset();
    return m_pane->OpenClip(path);
}

void CVideoPaneLink::StopClip() {
    m_pane->StopClip();
}

bool CVideoPaneLink::SeekClip(double second) {
    if (SeekTo(m_pane, second)) {
        m_pendingSeek.reset();
        return true;
    }
    m_pendingSeek = second;
    return true;
}
