// The playlist's view of the real video pane: forwards the playlist's three questions to
// CVideoViewDlg.
#pragma once

#include "library/IPlaylistVideoPane.h"

class CVideoViewDlg;

class CVideoPaneLink : public IPlaylistVideoPane {
public:
    explicit CVideoPaneLink(CVideoViewDlg* pane) : m_pane(pane) {}

    bool WouldAcceptOpen() const override;
    bool OpenClip(const QString& path) override;
    void StopClip() override;

private:
    CVideoViewDlg* m_pane;
};
