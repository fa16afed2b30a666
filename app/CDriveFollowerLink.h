// The window's panes following the playlist's drive: the drive timeline under the video,
// the map of the whole drive, and the marks of the playing clip's events on the progress
// slider (for a clip alone, with the list of them on its right click).
#pragma once

#include <QMetaObject>
#include <QPoint>

#include <cstddef>
#include <memory>
#include <vector>

class CMapView;
class CVideoViewDlg;
struct LoadedDrive;

class CDriveFollowerLink {
public:
    CDriveFollowerLink(CVideoViewDlg* video, CMapView* map);
    ~CDriveFollowerLink();
    CDriveFollowerLink(const CDriveFollowerLink&) = delete;
    CDriveFollowerLink& operator=(const CDriveFollowerLink&) = delete;

    // The drive of the clip that now plays; null when the clip is in none (or alone).
    void ShowDrive(std::shared_ptr<const LoadedDrive> drive);
    // The second of that drive that plays now.
    void FollowDriveSecond(double driveSecond);
    // The driving events of a clip that plays alone; null for a clip of a drive.
    void ShowClipEvents(std::shared_ptr<const LoadedDrive> lone);

    // The drive shown now; null while the clip plays alone.
    const std::shared_ptr<const LoadedDrive>& ShownDrive() const { return m_drive; }

private:
    void MarkEventsOf(size_t clip);
    // A right click on the progress slider of a clip alone lists its events to jump to.
    void ListLoneEvents(const QPoint& at);

    CVideoViewDlg* m_video;
    CMapView* m_map;
    std::shared_ptr<const LoadedDrive> m_drive;
    std::shared_ptr<const LoadedDrive> m_lone;
    QMetaObject::Connection m_menu;
    size_t m_markedClip = SIZE_MAX;
};
