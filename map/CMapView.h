// The map: a web view showing one of the map pages, the clip's per-second positions it
// draws there, and the script bridge through which the view talks to the page. There is one
// map view in the player; the tick, the track dispatch and the playlist reach it through
// Instance(). While a drive is shown, the map draws the drive's whole route coloured by
// speed, and the drive's second, not the clip's, places the marker and the red road. The
// view keeps none of the window's input for itself beyond what a map needs:
// dropped files and the arrow keys go on to the window, the mouse and +/- stay the map's.
#pragma once

#include "map/DriveRoute.h"
#include "track/CMapTrackStore.h"
#include "track/TrackChange.h"
#include "track/TrackStores.h"

#include <QStringList>
#include <QWebEngineView>

#include <functional>
#include <memory>

class CMapPage;
class CMapPageBridge;
struct LoadedDrive;
class QTimer;
class QWebChannel;
class QWebEngineLoadingInfo;

class CMapView : public QWebEngineView {
    Q_OBJECT

public:
    // The page resources: the one shown, and the two carried for other map services.
    static constexpr int kBaiduPage = 129;
    static constexpr int kLeafletPage = 130;
    static constexpr int kSosoPage = 131;

    // Silent, with page 130 loading. `autoLoad` false leaves the view empty, for callers
    // that set the page up first (tests inject stand-ins before a page's script runs).
    explicit CMapView(QWidget* parent = nullptr, bool autoLoad = true);
    ~CMapView() override;

    // The one map view of the process, or null while there is none.
    static CMapView* Instance();

    // Shows `store` from now on, in place of the view's own, with the headings of `dial`
    // where its positions give none; both must outlive the view. For the wiring, before
    // any track is drawn.
    void ShowTrack(CMapTrackStore& store, CSpeedDialModel* dial);
    CMapTrackStore& Store() { return *m_store; }
    // What the store's owner changed in it: a track filled anew is drawn afresh, and a line
    // that moved a second the red road already covers has the road drawn again.
    void TrackChanged(const TrackChange& change);

    // Navigates to one of the page resources; false for an unknown resource.
    bool LoadPageFromResource(int resource);

    // Wipes the road, the store shown and the dial's records, then fills them from the
    // clip's embedded blocks and draws the route. True when a block had a valid fix.
    bool LoadEmbeddedTrack(const QString& clipPath);
    // Refills the store shown from an NMEA log, else the logs other makers' cameras write
    // beside the clip, and draws the route. True on a valid fix.
    bool LoadNmeaLog(const QString& logPath);
    // One track line into the store shown: the position at the line's second, speed and
    // course to the dial the store feeds.
    int StoreTrackLine(const char* line);
    // Puts the marker at the second's position; 1 when the store has one, else 0. While a
    // drive is shown the page is left to ShowDriveSecond.
    int ShowSecond(int second);

    // Draws the drive's route, coloured by speed band with a legend, and fits the map to it;
    // the clip's own route and road step aside. The drive already shown changes nothing, so
    // the map is fitted once per drive. Null takes the drive off and brings the clip's map
    // back as it was.
    void ShowDrive(std::shared_ptr<const LoadedDrive> drive);
    // The red road along the drive up to that second, across its clips, and the marker at
    // the last fix at or before it. The page hears only of a change of fix.
    void ShowDriveSecond(double driveSecond);

    // Calls the page function `name` with the texts as string arguments and waits for
    // the answer. The wait is a local event loop, so the player keeps running meanwhile,
    // and it gives up after kScriptWaitMs. False, silently, with no page, no such function,
    // a call that throws or no answer in time; else true and the function's result as
    // text (empty for none).
    bool CallScript(const QString& name, const QStringList& arguments, QString* result);
    // The same call without waiting, for callers that need no result: the view's own
    // operations, which run on every tick. Failures are only logged.
    void PostScript(const QString& name, const QStringList& arguments);

    // True between a page finishing loading and the next navigation or renderer loss.
    bool PageReady() const { return m_pageReady; }
    CMapPage* Page() const { return m_page; }

    static constexpr int kScriptWaitMs = 5000;
    // A page that failed to load is loaded again after this wait, doubled after each
    // failure up to kLastReloadMs, so that an offline machine is not kept busy.
    static constexpr int kFirstReloadMs = 500;
    static constexpr int kLastReloadMs = 60000;

signals:
    // A click on the drawn route asks for the video at the nearest second of the track.
    void SeekRequested(int second);
    // A click near the drive's route asks for the drive's second of the nearest fix.
    void driveSeekRequested(double driveSecond);
    // The page finished loading, or failed to.
    void PageLoaded(bool ok);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void childEvent(QChildEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void OnLoadingChanged(const QWebEngineLoadingInfo& loading);
    void OnLoadFinished(bool ok);
    void OnRendererGone();
    void ReloadLater();
    void RunCall(const QString& name, const QStringList& arguments,
                 std::function<void(bool ok, const QString& value)> done);
    // The whole route faintly, and the map fitted to it once.
    void DrawRoute();
    // The red road: the route up to `second`. Points past the road's end are added; a road
    // that reaches further (the second went back) is drawn again from the start.
    void DrawRoadTo(int second);
    // Takes road and marker off the page, for a store that was filled anew.
    void ForgetDrawing();
    void ShowNoTrackNote(bool show);
    // Sends the drive's route to the page, which fits the map to it.
    void DrawDrive();
    // Runs a loading step into the store shown, then draws what it gave.
    bool LoadInto(const std::function<bool(const TrackStores&)>& load);

    CMapPage* m_page = nullptr;
    CMapTrackStore m_ownStore;
    CMapTrackStore* m_store = &m_ownStore;
    CSpeedDialModel* m_dial = nullptr;
    QWebChannel* m_channel = nullptr;
    CMapPageBridge* m_bridge = nullptr;
    int m_resource = kLeafletPage;
    bool m_pageReady = false;
    int m_rendererLosses = 0;
    bool m_markerSinceLoad = false;
    // The last second the page's road reaches, -1 while it is empty.
    int m_roadEnd = -1;
    // A clip (or log) was loaded since start, and whether the page says it has no position.
    bool m_clipLoaded = false;
    bool m_noTrackNote = false;
    std::shared_ptr<const LoadedDrive> m_drive;
    DriveRoute m_driveRoute;
    // The route point the page's drive road and marker are at, -1 for none; and the last
    // drive second shown, -1 before any.
    int m_drivePoint = -1;
    double m_driveSecond = -1.0;
    QTimer* m_reloadTimer = nullptr;
    int m_reloadWaitMs = kFirstReloadMs;
};
