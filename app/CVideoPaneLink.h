// The playlist's view of the real video pane: forwards the playlist's questions to
// CVideoViewDlg.
#pragma once

#include "library/IPlaylistVideoPane.h"

#include <QMetaObject>

#include <optional>

class CVideoViewDlg;

class CVideoPaneLink : public IPlaylistVideoPane {
public:
    explicit CVideoPaneLink(CVideoViewDlg* pane);
    ~CVideoPaneLink() override;
    CVideoPaneLink(const CVideoPaneLink&) = delete;
    CVideoPaneLink& operator=(const CVideoPaneLink&) = delete;

    bool WouldAcceptOpen() const override;
    bool OpenClip(const QString& path) override;
    void StopClip() override;
    bool SeekClip(double second) override;
    bool Paused() const override;
    bool ClipOpen() const override;
    void HoldPausedOnStart() override;
    bool OpenDrive(const QStringList& clips, int first) override;
    double PlayTime() const override;
    bool SeekDriveClip(int clip, double second) override;
    void SetDriveClipFollower(std::function<void(const QString&)> follower) override;

private:
    CVideoViewDlg* m_pane;
    // A seek asked for before the clip's playback started, taken when it starts.
    std::optional<double> m_pendingSeek;
    bool m_pauseOnStart = false;
    QMetaObject::Connection m_started;
    QMetaObject::Connection m_driveClip;
};
