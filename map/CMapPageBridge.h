// What the map page may call in the program, over the web channel: nothing but the seeks a
// click on the clip's route or on the drive's route asks for. Kept apart from the view so the page
// sees no widget.
#pragma once

#include <QObject>

class CMapPageBridge : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

public slots:
    // The page found the second of the track nearest to a click on the route.
    void RouteClicked(int second);
    // The page found the second of the drive nearest to a click on the drive's route.
    void DriveRouteClicked(int driveSecond);

signals:
    void SeekRequested(int second);
    void DriveSeekRequested(double driveSecond);
};
