#include "app/CVideoPaneLink.h"

#include "playback/CVideoViewDlg.h"

bool CVideoPaneLink::WouldAcceptOpen() const {
    return m_pane->WouldAcceptOpen();
}

bool CVideoPaneLink::OpenClip(const QString& path) {
    return m_pane->OpenClip(path);
}

void CVideoPaneLink::StopClip() {
    m_pane->StopClip();
}
