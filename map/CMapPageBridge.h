// What the map page may call in the program, over the web channel: nothing but the seek a
// click on the route asks for. Kept apart from the view so the page sees no widget.
#pragma once

#include <QObject>

class CMapPageBridge : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

public slots:
    // The page found the second of the track nearest to a click on the route.
    void RouteClicked(int second);

signals:
    void SeekRequested(int second);
};
