// The player's wiring root: it makes the panes inside the main window, the playing clip's
// session and the links between them, and connects them. The window draws its frame and
// routes keys and drops to what this makes; no pane makes or looks up another, and the
// panes show the session's stores rather than keeping the track themselves.
#pragma once

#include "app/CClipSession.h"
#include "app/CDriveFollowerLink.h"
#include "app/CExcerptLink.h"
#include "app/CPaneFollower.h"
#include "app/CSpeedUnitsLink.h"
#include "app/CTrackSaveMenu.h"
#include "app/CVideoPaneLink.h"

#include <QString>

#include <memory>

class CClipRecoveryNote;
class CExportDlg;
class CGSensesDlg;
class CHtmlViewDlg;
class CMapView;
class CMyStatic;
class CPlaylistDlg;
class CSpeedStatic;
class CVideoViewDlg;
class QWidget;
struct MivexOptions;

class CWindowWiring {
public:
    // The panes are children of `window`, laid out by its skin.
    CWindowWiring(QWidget* window, const MivexOptions& engine);
    ~CWindowWiring();
    CWindowWiring(const CWindowWiring&) = delete;
    CWindowWiring& operator=(const CWindowWiring&) = delete;

    CVideoViewDlg* Video() const { return m_video; }
    CPlaylistDlg* Playlist() const { return m_playlist; }
    CGSensesDlg* GSenses() const { return m_gsenses; }
    CMyStatic* Chart() const;
    CHtmlViewDlg* MapHost() const { return m_mapHost; }
    CMapView* Map() const;
    CSpeedStatic* Dial() const { return m_dial; }
    CClipSession& Session() { return m_session; }
    CExcerptLink& Excerpt() { return *m_excerpt; }
    CTrackSaveMenu* TrackSave() const { return m_trackSave.get(); }
    CExportDlg* ExportDialog() const { return m_exportDlg; }
    CClipRecoveryNote* RecoveryNote() const { return m_recoveryNote; }

    // The export dialog for the marked excerpt; made at first use, then kept, so a job runs
    // on while it is hidden.
    void ShowExportDialog();
    // The title band's text for the playing clip: its name and when it was recorded.
    QString ClipTitle() const;

private:
    void CreatePanes(const MivexOptions& engine);
    void ShowTrackInPanes();
    void ConnectPanes();
    QString ExcerptName(const ExcerptPiece& first) const;

    QWidget* m_window;
    CClipSession m_session;
    CVideoViewDlg* m_video = nullptr;
    CPlaylistDlg* m_playlist = nullptr;
    CGSensesDlg* m_gsenses = nullptr;
    CHtmlViewDlg* m_mapHost = nullptr;
    CSpeedStatic* m_dial = nullptr;
    std::unique_ptr<CVideoPaneLink> m_videoLink;
    std::unique_ptr<CSpeedUnitsLink> m_speedUnitsLink;
    std::unique_ptr<CDriveFollowerLink> m_driveLink;
    std::unique_ptr<CPaneFollower> m_follower;
    std::unique_ptr<CExcerptLink> m_excerpt;
    std::unique_ptr<CTrackSaveMenu> m_trackSave;
    CExportDlg* m_exportDlg = nullptr;
    CClipRecoveryNote* m_recoveryNote = nullptr;
};
