#include "app/CDriveFollowerLink.h"

#include "map/CMapView.h"
#include "playback/CDriveTimeline.h"
#include "playback/CMySliderCtrl.h"
#include "playback/CVideoViewDlg.h"
#include "track/LoadedDrive.h"

#include <vector>

void CDriveFollowerLink::ShowDrive(std::shared_ptr<const LoadedDrive> drive) {
    m_drive = drive;
    m_markedClip = SIZE_MAX;
    m_video->ProgressSlider()->SetMarks({});
    m_video->ShowDrive(drive);
    if (CMapView* map = CMapView::Instance()) {
        map->ShowDrive(std::move(drive));
    }
}

void CDriveFollowerLink::FollowDriveSecond(double driveSecond) {
    if (m_drive == nullptr) {
        return;
    }
    m_video->DriveTimeline()->SetDriveSecond(driveSecond);
    if (CMapView* map = CMapView::Instance()) {
        map->ShowDriveSecond(driveSecond);
    }
    const size_t clip = PlaceInDrive(m_drive->drive, driveSecond).clip;
    if (clip != m_markedClip) {
        MarkEventsOf(clip);
    }
}

// The slider spans one clip: its marks are that clip's own events.
void CDriveFollowerLink::MarkEventsOf(size_t clip) {
    m_markedClip = clip;
    std::vector<int> seconds;
    for (const DriveEvent& event : m_drive->events) {
        if (event.clip == clip) {
            seconds.push_back(event.event.second);
        }
    }
    m_video->ProgressSlider()->SetMarks(std::move(seconds));
}

void CDriveFollowerLink::ShowClipEvents(std::vector<int> seconds) {
    m_video->ProgressSlider()->SetMarks(std::move(seconds));
}
