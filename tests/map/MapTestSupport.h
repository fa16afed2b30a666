// Waiting on a real browser page from a test: reading values out of the page, loading a page and
// waiting for it, a view with the player's page loaded; and what the page hands to the desktop.
#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QUrl>
#include <QVariant>

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

class CMapView;
struct LoadedDrive;

// Runs script in the page and gives its value, or an invalid QVariant after a time-out.
QVariant Js(CMapView& view, const QString& script);

// Loads one of the page resources and waits until it has finished; true when it loaded.
bool LoadPage(CMapView& view, int resource);

// A shown view of 640 x 480 that has loaded the player's page, and the lengths of the page's road (driven so far) and route
// (the whole track).
class OnLeafletPage : public ::testing::Test {
protected:
    void SetUp() override;
    int RoadPoints();
    int RoutePoints();
    // Waits up to ten seconds for `script` to give `expected` as text, then checks it.
    void ExpectSoon(const QString& script, const QString& expected);

    std::unique_ptr<CMapView> view;
};

// One entry of a hand-made drive's clip: its second in the clip, its place and status, and
// the speed the dial recorded for it (-1: none).
struct DriveFix {
    int second = 0;
    double latitude = 0.0;
    double longitude = 0.0;
    int kmh = -1;
    char status = 'A';
};
struct DriveClipFixes {
    int64_t at = 0; // where the clip's second 0 falls on the drive
    std::vector<DriveFix> fixes;
};

// A loaded drive of the clips given, each with a track holding only its fixes.
std::shared_ptr<const LoadedDrive> HandMadeDrive(const std::vector<DriveClipFixes>& clips);

// Counts the requests the test refused to let leave the machine.
int RefusedRequests();

// While true, every page load fails, the program's own pages too.
void RefuseOwnPages(bool refuse);

// Stands in for the desktop's browser: the addresses the program asked it to open.
class OpenedUrls : public QObject {
    Q_OBJECT

public:
    QList<QUrl> urls;

public slots:
    void Open(const QUrl& url) { urls.append(url); }
};
