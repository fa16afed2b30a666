// The window's panes as the playlist's drive follower: the drive timeline under the video,
// the map of the whole drive, and the marks of the playing clip's events on the progress
// slider.
#pragma once

#include "library/IDriveFollower.h"

#include <cstddef>
#include <memory>
#include <vector>

class CVideoViewDlg;

class CDriveFollowerLink : public IDriveFollower {
public:
    explicit CDriveFollowerLink(CVideoViewDlg* video) : m_video(video) {}

    void ShowDrive(std::shared_ptr<const LoadedDrive> drive) override;
    void FollowDriveSecond(double driveSecond) override;
    void ShowClipEvents(std::vector<int> seconds) override;

    // The drive shown now; null while the clip plays alone.
    const std::shared_ptr<const LoadedDrive>& ShownDrive() const { return m_drive; }

private:
    void MarkEventsOf(size_t clip);

    CVideoViewDlg* m_video;
    std::shared_ptr<const LoadedDrive> m_drive;
    size_t m_markedClip = SIZE_MAX;
};
