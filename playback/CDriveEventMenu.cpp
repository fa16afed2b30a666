#include "playback/CDriveEventMenu.h"

#include "playback/DriveTimeText.h"

CDriveEventMenu::CDriveEventMenu(const LoadedDrive& drive, QWidget* parent, bool excerptEntries)
    : QMenu(parent) {
    for (const DriveEvent& event : drive.events) {
        const double second = event.driveSecond;
        connect(addAction(DriveEventText(drive.drive, event)), &QAction::triggered, this,
                [this, second] { emit eventChosen(second); });
    }
    if (drive.events.empty()) {
        addAction(tr("No driving events"))->setEnabled(false);
    }
    if (!excerptEntries) {
        return;
    }
    addSeparator();
    connect(addAction(tr("Excerpt starts here (I)")), &QAction::triggered, this,
            &CDriveEventMenu::excerptStartChosen);
    connect(addAction(tr("Excerpt ends here (O)")), &QAction::triggered, this,
            &CDriveEventMenu::excerptEndChosen);
}
