// The list of a drive's events, popped up from its timeline: one line per event (time,
// kind, peak g, speed) in the order they happened, and the one chosen says where to seek.
// A menu because it is small, closes by itself, and is read and chosen from with the mouse
// or the keys alike. Under the list, the excerpt's start and end can be marked where
// playback is, as the I and O keys do.
#pragma once

#include "track/LoadedDrive.h"

#include <QMenu>

class CDriveEventMenu : public QMenu {
    Q_OBJECT

public:
    // Without `excerptEntries` the list alone, for a pane that marks no excerpt itself.
    CDriveEventMenu(const LoadedDrive& drive, QWidget* parent = nullptr,
                    bool excerptEntries = true);

signals:
    void eventChosen(double driveSecond);
    void excerptStartChosen();
    void excerptEndChosen();
};
