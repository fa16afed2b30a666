// The window's panes as the playlist's drive follower: the drive timeline under the video,
// the map of the whole drive, and the marks of the playing clip's events on the progress
// slider (for a clip alone, with the list of them on its right click).
#pragma once

#include "library/IDriveFollower.h"

#include <QMetaObject>
#include <QPoint>

#include <cstddef>
#include <memory>
#include <vector>

class CMapView;
class CVideoViewDlg;

class CDriveFollowerLink : public IDriveFollower {
public:
    CDriveFollowerLink(CVideoViewDlg* video, CMapView* map);
    ~CDriveFollowerLink() override;

    void ShowDrive(std::shared_ptr<const LoadedDrive> drive) override;
    void FollowDriveSecond(double driveSecond) override;
    void ShowClipEvents(std::shared_ptr<const LoadedDrive> lone) override;

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
