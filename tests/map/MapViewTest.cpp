// The map view's operations on a loaded page: the marker and road from the store, the
// loaders wiping and refilling everything, the page coming back after it was lost, and the
// window's input passing the map by.
#include "MapTestSupport.h"

#include "map/CHtmlViewDlg.h"
#include "map/CMapView.h"
#include "map/MapProfile.h"
#include "skin/SkinSE.h"
#include "tests/support/ClipMaker.h"
#include "tests/support/Pump.h"
#include "tests/track/NmeaText.h"
#include "track/ClipTrack.h"

#include <QDropEvent>
#include <QElapsedTimer>
#include <QMimeData>
#include <QSignalSpy>
#include <QStringList>
#include <QTest>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWindow>

#include <gtest/gtest.h>

#include <cmath>
#include <csignal>
#include <functional>
#include <limits>
#include <memory>
#include <vector>

using namespace std::chrono_literals;
using testsupport::PumpFor;
using testsupport::PumpUntil;

namespace {

const QString kData = QStringLiteral(OSTVIK_TESTDATA);

// Columns of the clip maker's truth rows.
constexpr size_t kLatitude = 1;
constexpr size_t kLongitude = 2;

// RMC at 48 07.038' N, 11 31.000' E, 22.4 knots, course 84.4.
const std::string kRmc = Sentence("GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,,");

// Where the marker is, as "latitude longitude"; empty without one.
const QString kMarker = "marker ? marker.getLatLng().lat + ' ' + marker.getLatLng().lng : ''";

class MapViewOnPage : public OnLeafletPage {
protected:
    bool NoMarker() {
        PumpFor(150ms); // calls posted by then have run
        return Js(*view, "marker === null").toBool();
    }
    bool MarkerOnMap() { return Js(*view, "marker !== null && map.hasLayer(marker)").toBool(); }
};

TEST_F(MapViewOnPage, ShowSecondPlacesTheMarkerOnlyAtAValidPosition) {
    EXPECT_EQ(view->ShowSecond(0), 0) << "empty store";
    EXPECT_TRUE(NoMarker());

    view->Store().PutEntry(0, 12.25, -3.5, 'V');
    view->Store().PutEntry(1, 0.0, 20.0, 'A');
    view->Store().PutEntry(2, std::numeric_limits<double>::quiet_NaN(), 20.0, 'A');
    view->Store().PutEntry(3, 95.0, 20.0, 'A');
    view->Store().PutEntry(4, 12.25, -3.5, 'A');
    for (int second : {-1, 0, 1, 2, 3, 5}) {
        EXPECT_EQ(view->ShowSecond(second), 0) << second;
    }
    EXPECT_TRUE(NoMarker());
    EXPECT_EQ(view->Store().m_nLastShown, -1);

    EXPECT_EQ(view->ShowSecond(4), 1);
    EXPECT_EQ(view->Store().m_nLastShown, 4);
    ExpectSoon(kMarker, "12.25 -3.5");
    EXPECT_EQ(RoadPoints(), 1);
}

TEST_F(MapViewOnPage, RoadIsTheRouteUpToTheSecondShown) {
    // Seconds 0 to 5 a hundredth of a degree apart, so a road point's latitude names its
    // second; second 2 has no fix.
    for (int second = 0; second < 6; ++second) {
        view->Store().PutEntry(second, 10.0 + second / 100.0, 20.0, second == 2 ? 'V' : 'A');
    }
    // 10 01.2' N is 10.02 degrees: second 2's place.
    const std::string fillsTheGap =
        "T:2000 X:0 Y:0 Z:0 G:0 " +
        Sentence("GPRMC,120002,A,1001.200,N,02000.000,E,0.0,0.0,010124,,");
    struct Step {
        const char* what;
        std::function<void()> act;
        const char* road; // the seconds the road passes, in order
    };
    const Step steps[] = {
        {"a tick", [&] { view->ShowSecond(1); }, "[0,1]"},
        {"the same tick again", [&] { view->ShowSecond(1); }, "[0,1]"},
        {"a seek forward", [&] { view->ShowSecond(4); }, "[0,1,3,4]"},
        {"a seek back", [&] { view->ShowSecond(3); }, "[0,1,3]"},
        {"a line under the road", [&] { view->StoreTrackLine(fillsTheGap.c_str()); }, "[0,1,2,3]"},
        {"a page loaded again", [&] { ASSERT_TRUE(LoadPage(*view, CMapView::kLeafletPage)); },
         "[0,1,2,3]"},
    };
    const QString seconds = "JSON.stringify(road.getLatLngs().map(function (p) {"
                            "  return Math.round((p.lat - 10) * 100); }))";
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        step.act();
        ExpectSoon(seconds, step.road);
    }
}

// The reload takes the same way as any page load: the marker and the route come back
// without a tick.
TEST_F(MapViewOnPage, LostRendererReloadsThePageAndTheMarkerAndRouteComeBack) {
    view->Store().PutEntry(0, -33.5, 151.0, 'A');
    view->Store().PutEntry(1, -33.5, 151.25, 'A');
    ASSERT_EQ(view->ShowSecond(1), 1);
    ExpectSoon(kMarker, "-33.5 151.25");
    const qint64 renderer = view->page()->renderProcessPid();
    ASSERT_GT(renderer, 0);

    QSignalSpy loaded(view.get(), &CMapView::PageLoaded);
    ::kill(static_cast<pid_t>(renderer), SIGKILL);
    ASSERT_TRUE(PumpUntil([&] { return !loaded.isEmpty(); }, 30s));
    EXPECT_TRUE(loaded.last().at(0).toBool());
    EXPECT_NE(view->page()->renderProcessPid(), renderer);
    ExpectSoon(kMarker, "-33.5 151.25");
    EXPECT_EQ(RoutePoints(), 2) << "the route is drawn again too";
}

TEST_F(MapViewOnPage, EmbeddedTrackWipesEverythingThenFillsTheStoresAndTheRoute) {
    ClipTrack track;
    view->ShowTrack(track.Map(), &track.Dial());
    track.Dial().SetSpeedRecord(500, 10, 10);
    view->Store().PutEntry(0, 1.0, 1.0, 'A');
    ASSERT_EQ(view->ShowSecond(0), 1);
    ASSERT_TRUE(view->CallScript("SetRoad", {"2", "2"}, nullptr));
    ASSERT_EQ(RoadPoints(), 2);

    EXPECT_TRUE(view->LoadEmbeddedTrack(kData + "/drive.MP4"));
    EXPECT_EQ(view->Store().m_nLastShown, -1);
    const auto truth = ReadTruth(OSTVIK_TESTDATA "/drive.truth.csv");
    ASSERT_EQ(truth.size(), 12u);
    ASSERT_EQ(view->Store().size(), truth.size());
    for (const auto& row : truth) {
        const auto at = static_cast<size_t>(row[0]);
        EXPECT_NEAR(view->Store().m_latitudes[at], row[kLatitude], 1e-4) << at;
        EXPECT_NEAR(view->Store().m_longitudes[at], row[kLongitude], 1e-4) << at;
    }
    EXPECT_EQ(track.Dial().m_records.size(), 12u);
    EXPECT_EQ(track.Dial().Find(500), nullptr);

    EXPECT_TRUE(PumpUntil([&] { return RoutePoints() == 12; }));
    EXPECT_EQ(RoadPoints(), 0) << "ClearRoad reached the page";
    // The map was fitted to the route once: its first and last seconds are in view.
    EXPECT_TRUE(Js(*view, "map.getBounds().contains(route.getBounds())").toBool());

    // The tick's part: a second of the track puts the marker at the clip's position.
    EXPECT_EQ(view->ShowSecond(5), 1);
    EXPECT_TRUE(PumpUntil([&] {
        return std::fabs(Js(*view, "marker.getLatLng().lat").toDouble() - truth[5][kLatitude]) <
               1e-4;
    }));
}

TEST_F(MapViewOnPage, ClipWithoutATrackTakesTheMarkerAndTheRoadOff) {
    ASSERT_TRUE(view->LoadEmbeddedTrack(kData + "/drive.MP4"));
    ASSERT_EQ(view->ShowSecond(5), 1);
    ASSERT_TRUE(PumpUntil([&] { return MarkerOnMap() && RoadPoints() > 0; }));

    const char* kShownNote =
        "var n = document.getElementById('offline'); n.hidden ? '' : n.textContent";
    EXPECT_NE(Js(*view, kShownNote).toString(), QStringLiteral("No GPS data in this clip"));

    EXPECT_FALSE(view->LoadEmbeddedTrack(kData + "/nofix.MP4"));
    EXPECT_TRUE(PumpUntil([&] { return !MarkerOnMap() && RoadPoints() == 0; }));
    EXPECT_TRUE(PumpUntil([&] {
        return Js(*view, kShownNote).toString() == QStringLiteral("No GPS data in this clip");
    }));
    // A new map type does not bring the old clip's marker back.
    Js(*view, "map.removeLayer(currentLayer); map.addLayer(mapTypes.satellite); 1");
    EXPECT_FALSE(MarkerOnMap());

    // A position the engine delivers later takes the note away.
    ASSERT_EQ(view->StoreTrackLine(("T:2000 X:0 Y:0 Z:1 G:0 " + kRmc).c_str()), 1);
    ASSERT_EQ(view->ShowSecond(2), 1);
    EXPECT_TRUE(PumpUntil([&] {
        return Js(*view, kShownNote).toString() != QStringLiteral("No GPS data in this clip");
    }));
}

TEST_F(MapViewOnPage, NmeaLogFillsTheStoreAndTheRoute) {
    const auto truth = ReadTruth(OSTVIK_TESTDATA "/nofix-log.truth.csv");
    ASSERT_EQ(truth.size(), 5u);
    EXPECT_TRUE(view->LoadNmeaLog(kData + "/nofix.TXT"));
    ASSERT_EQ(view->Store().size(), 5u);
    EXPECT_NEAR(view->Store().m_latitudes[4], truth[4][kLatitude], 1e-4);
    EXPECT_TRUE(PumpUntil([&] { return RoutePoints() == 5; }));

    EXPECT_FALSE(view->LoadNmeaLog(kData + "/no-such-log.TXT"));
    EXPECT_EQ(view->Store().size(), 0u);
    EXPECT_TRUE(PumpUntil([&] { return RoutePoints() == 0; }));
}

TEST_F(MapViewOnPage, TrackLinesLandAtTheirSecondAndFeedTheDial) {
    ClipTrack track;
    view->ShowTrack(track.Map(), &track.Dial());
    EXPECT_EQ(view->StoreTrackLine(("T:3000 X:0.1 Y:0.2 Z:0.3 G:0.0 " + kRmc).c_str()), 1);
    EXPECT_EQ(view->StoreTrackLine("T:4000 X:0.1 Y:0.2 Z:0.3 G:0.0"), 0);
    EXPECT_EQ(view->StoreTrackLine(nullptr), 0);
    ASSERT_EQ(view->Store().size(), 4u);
    EXPECT_NEAR(view->Store().m_latitudes[3], 48 + 7.038 / 60, 1e-9);
    ASSERT_NE(track.Dial().Find(3), nullptr);
    // 22.4 knots at 1.852 km/h each is 41.48 km/h, truncated.
    EXPECT_EQ(track.Dial().Find(3)->speed, 41);
    EXPECT_EQ(track.Dial().Find(3)->heading, 84);
}

// Two clips a minute apart on the drive, the second starting 111 m after the first ends;
// each fix a thousandth of a degree north of the one before, so a point's latitude names it.
TEST_F(MapViewOnPage, DriveIsColouredBySpeedFollowsItsSecondSeeksOnAClickAndNullGoesBack) {
    for (int second = 0; second < 3; ++second) {
        view->Store().PutEntry(second, 30.0 + second / 100.0, 20.0, 'A');
    }
    ASSERT_EQ(view->ShowSecond(1), 1);
    ASSERT_TRUE(PumpUntil([&] { return RoadPoints() == 2; }));

    view->ShowDrive(HandMadeDrive({
        {0, {{0, 48.000, 11.0, 20}, {1, 48.001, 11.0, 50}, {2, 48.002, 11.0, 100}}},
        {60, {{0, 48.003, 11.0, 130}, {1, 48.004, 11.0}}},
    }));
    // Each band's piece ends on the first point of the next band's: 20 and 50 km/h, 50 and
    // 100, 100 and 130, 130 and the fix without a speed, which has a piece of its own.
    ExpectSoon("driveLayer ? driveLayer.getLayers().map(function (l) {"
               "  return l.options.color + ':' + l.getLatLngs()[0].length; }).join(' ') : ''",
               "#2166ac:2 #0f9ba8:2 #e08a00:2 #8e24aa:2 #777777:1");
    EXPECT_EQ(Js(*view, "document.querySelectorAll('.drive-legend i').length").toInt(), 6);
    EXPECT_TRUE(Js(*view, "map.getBounds().contains([[48, 11], [48.004, 11]])").toBool());
    EXPECT_FALSE(Js(*view, "map.hasLayer(route) || map.hasLayer(road)").toBool());

    struct Step {
        double driveSecond;
        const char* road; // the fixes the road passes, in runs
        const char* marker;
    };
    const Step steps[] = {
        {1.5, "[[0,1]]", "48.001"},
        {61.0, "[[0,1,2,3,4]]", "48.004"}, // across the clips
        {30.0, "[[0,1,2]]", "48.002"},     // back, between the clips
    };
    const QString road =
        "JSON.stringify(driveRoad.getLatLngs().map(function (run) {"
        "  return run.map(function (p) { return Math.round((p.lat - 48) * 1000); });"
        "}))";
    for (const Step& step : steps) {
        SCOPED_TRACE(step.driveSecond);
        view->ShowDriveSecond(step.driveSecond);
        ExpectSoon(road, step.road);
        EXPECT_EQ(Js(*view, "String(marker.getLatLng().lat)").toString(), step.marker);
    }

    ASSERT_TRUE(PumpUntil([&] { return Js(*view, "bridge !== null").toBool(); }));
    QSignalSpy seek(view.get(), &CMapView::driveSeekRequested);
    const QString clickRight = "map.fire('click', {latlng: map.layerPointToLatLng("
                               "map.latLngToLayerPoint([48.003, 11.0]).add([%1, 0]))}); 1";
    Js(*view, clickRight.arg(40)); // further than the few pixels a click may miss by
    Js(*view, clickRight.arg(3));
    ASSERT_TRUE(PumpUntil([&] { return !seek.isEmpty(); }, 5s));
    PumpFor(100ms);
    ASSERT_EQ(seek.size(), 1);
    EXPECT_EQ(seek.first().at(0).toDouble(), 60.0) << "the second clip's first second";

    view->ShowDrive(nullptr);
    ExpectSoon("String(drive === null && document.querySelector('.drive-legend') === null)",
               "true");
    EXPECT_TRUE(Js(*view, "map.hasLayer(route) && map.hasLayer(road)").toBool());
    EXPECT_EQ(RoutePoints(), 3);
    EXPECT_EQ(RoadPoints(), 2);
    ExpectSoon(kMarker, "30.01 20");
}

TEST(MapViewLoading, ClipChosenWhileThePageLoadsIsDrawnOnceItHasLoaded) {
    CMapView view(nullptr, false);
    view.resize(640, 480);
    view.show();
    QSignalSpy loaded(&view, &CMapView::PageLoaded);
    ASSERT_TRUE(view.LoadPageFromResource(CMapView::kLeafletPage));
    EXPECT_TRUE(view.LoadEmbeddedTrack(kData + "/drive.MP4"));
    EXPECT_EQ(view.ShowSecond(3), 1);
    ASSERT_TRUE(PumpUntil([&] { return !loaded.isEmpty(); }, 30s));
    EXPECT_TRUE(PumpUntil([&] { return Js(view, "route.getLatLngs().length").toInt() == 12; }));
    EXPECT_TRUE(PumpUntil([&] { return Js(view, "marker !== null").toBool(); }));
    EXPECT_FALSE(view.LoadPageFromResource(128));
}

TEST(MapViewLoading, PageThatFailsToLoadIsSilentAndLoadedAgainAfterGrowingWaits) {
    CMapView view(nullptr, false);
    view.resize(320, 240);
    QSignalSpy loaded(&view, &CMapView::PageLoaded);
    QElapsedTimer clock;
    std::vector<qint64> failures;
    QObject::connect(&view, &CMapView::PageLoaded, &view, [&](bool ok) {
        if (!ok) {
            failures.push_back(clock.elapsed());
        }
    });
    RefuseOwnPages(true);
    clock.start();
    ASSERT_TRUE(view.LoadPageFromResource(CMapView::kLeafletPage));
    ASSERT_TRUE(PumpUntil([&] { return failures.size() == 3; }, 30s));
    RefuseOwnPages(false);
    // Each try waits after the failure before it, half a second and then twice as long, less
    // the 5 % early that Qt's coarse timers may fire.
    EXPECT_GE(failures[1] - failures[0], 475);
    EXPECT_GE(failures[2] - failures[1], 950);
    EXPECT_FALSE(view.PageReady());
    EXPECT_FALSE(view.CallScript("ShowRoad", {}, nullptr));
    view.Store().PutEntry(0, 45.5, 9.25, 'A');
    EXPECT_EQ(view.ShowSecond(0), 1) << "the store decides; the page is only told";

    ASSERT_TRUE(PumpUntil([&] { return loaded.count() == 4; }, 30s));
    EXPECT_TRUE(loaded.last().at(0).toBool());
    EXPECT_TRUE(PumpUntil([&] { return Js(view, "marker !== null").toBool(); }));
}

TEST(MapViewLoading, PagesReadNoLocalFilesNorRemoteDocumentsAndADropIsNoAddress) {
    const QWebEngineSettings* settings = MapProfile()->settings();
    for (auto attribute : {QWebEngineSettings::LocalContentCanAccessFileUrls,
                           QWebEngineSettings::LocalContentCanAccessRemoteUrls,
                           QWebEngineSettings::NavigateOnDropEnabled}) {
        EXPECT_FALSE(settings->testAttribute(attribute)) << attribute;
    }
}

// Stands in for the main window: it takes the drops and the keys that reach it.
class WindowStandIn : public QWidget {
public:
    WindowStandIn() { setAcceptDrops(true); }

    QStringList dropped;
    QList<int> keys;

protected:
    void dragEnterEvent(QDragEnterEvent* event) override { event->acceptProposedAction(); }
    void dropEvent(QDropEvent* event) override {
        for (const QUrl& url : event->mimeData()->urls()) {
            dropped.append(url.toLocalFile());
        }
        event->acceptProposedAction();
    }
    void keyPressEvent(QKeyEvent* event) override { keys.append(event->key()); }
};

TEST(MapInWindow, DroppedFilesAndArrowKeysGoOnToTheWindowWhileTheMapKeepsItsZoomKeys) {
    WindowStandIn window;
    auto* host = new CHtmlViewDlg(&window);
    CMapView* view = host->MapView();
    QSignalSpy loaded(view, &CMapView::PageLoaded);
    host->setGeometry(0, 0, 416, 316);
    window.resize(416, 316);
    window.show();
    ASSERT_TRUE(PumpUntil([&] { return !loaded.isEmpty(); }, 30s));
    ASSERT_TRUE(loaded.last().at(0).toBool());
    const QPoint middle(200, 150); // of the view, which lies 8 pixels in

    // Sent to the window as the desktop sends a drag, so Qt finds the widget under it.
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile("/clips/A.MP4")});
    const QPoint inWindow = middle + QPoint(8, 8);
    QDragEnterEvent enter(inWindow, Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window.windowHandle(), &enter);
    QDropEvent drop(inWindow, Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window.windowHandle(), &drop);
    EXPECT_EQ(window.dropped, QStringList{"/clips/A.MP4"});

    QTest::mouseClick(view->focusProxy(), Qt::LeftButton, {}, middle);
    const double longitude = Js(*view, "map.getCenter().lng").toDouble();
    QTest::keyClick(view->focusProxy(), Qt::Key_Left);
    PumpFor(400ms); // a pan's slide is a quarter of a second
    QTest::keyClick(view->focusProxy(), Qt::Key_Plus);
    // The page takes its keys in order, so with the zoom done the arrow has had its turn.
    ASSERT_TRUE(PumpUntil([&] { return Js(*view, "map.getZoom()").toInt() == 17; }));
    EXPECT_EQ(window.keys, QList<int>{Qt::Key_Left});
    // A pan would move the centre 80 pixels, near 0.002 degrees at zoom 16.
    EXPECT_NEAR(Js(*view, "map.getCenter().lng").toDouble(), longitude, 1e-4);
}

TEST(MapHost, HoldsTheViewWithAnEightPixelMarginUnderItsSkinNames) {
    CHtmlViewDlg host;
    host.resize(300, 200);
    host.show();
    ASSERT_NE(host.MapView(), nullptr);
    EXPECT_EQ(CMapView::Instance(), host.MapView());
    EXPECT_EQ(host.MapView()->geometry(), QRect(8, 8, 284, 184));
    EXPECT_EQ(SkinElementOf(&host), "htmlview");
    EXPECT_EQ(SkinElementOf(host.MapView()), "mapview");
    EXPECT_EQ(host.objectName(), "135");
    EXPECT_EQ(host.MapView()->objectName(), "1012");
}

} // namespace
