#include "app/CDriveFollowerLink.h"

#include "map/CMapView.h"
#include "playback/CDriveEventMenu.h"
#include "playback/CDriveTimeline.h"
#include "playback/CMySliderCtrl.h"
#include "playback/CVideoViewDlg.h"
#include "track/LoadedDrive.h"

#include <vector>

CDriveFollowerLink::CDriveFollowerLink(CVideoViewDlg* video, CMapView* map)
    : m_video(video), m_map(map) {
    CMySliderCtrl* slider = m_video->ProgressSlider();
    slider->setContextMenuPolicy(Qt::CustomContextMenu);
    m_menu = QObject::connect(slider, &QWidget::customContextMenuRequested, slider,
                              [this](const QPoint& at) { ListLoneEvents(at); });
}

CDriveFollowerLink::~CDriveFollowerLink() {
    QObject::disconnect(m_menu);
}

void CDriveFollowerLink::ShowDrive(std::shared_ptr<const LoadedDrive> drive) {
    m_drive = drive;
    m_markedClip = SIZE_MAX;
    m_video->ProgressSlider()->SetMarks({});
    m_video->ShowDrive(drive);
    m_map->ShowDrive(std::move(drive));
}

void CDriveFollowerLink::FollowDriveSecond(double driveSecond) {
    if (m_drive == nullptr) {
        return;
    }
    m_video->DriveTimeline()->SetDriveSecond(driveSecond);
    m_map->ShowDriveSecond(driveSecond);
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

void CDriveFollowerLink::ShowClipEvents(std::shared_ptr<const LoadedDrive> lone) {
    m_lone = std::move(lone);
    std::vector<int> seconds;
    if (m_lone != nullptr) {
        for (const DriveEvent& event : m_lone->events) {
            seconds.push_back(event.event.second);
        }
    }
    m_video->ProgressSlider()->SetMarks(std::move(seconds));
}

void CDriveFollowerLink::ListLoneEvents(const QPoint& at) {
    if (m_lone == nullptr || m_drive != nullptr) {
        return;
    }
    CMySliderCtrl* slider = m_video->ProgressSlider();
    auto* menu = new CDriveEventMenu(*m_lone, slider, false);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    CVideoViewDlg* video = m_video;
    QObject::connect(menu, &CDriveEventMenu::eventChosen, video,
                     [video](double second) { video->SeekToSecond(second); });
    menu->popup(slider->mapToGlobal(at));
}
