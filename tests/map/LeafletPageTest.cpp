// The page the player shows, driven through the view's script bridge as the player drives
// it, and inspected in the page's own objects.
#include "MapTestSupport.h"

#include "map/CMapPage.h"
#include "map/CMapView.h"
#include "tests/support/Pump.h"

#include <QDesktopServices>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <memory>

using namespace std::chrono_literals;
using testsupport::PumpFor;
using testsupport::PumpUntil;

namespace {

class LeafletPage : public OnLeafletPage {
protected:
    bool Call(const QString& name, const QStringList& arguments = {}) {
        return view->CallScript(name, arguments, nullptr);
    }
    double Number(const QString& script) { return Js(*view, script).toDouble(); }
    void SwitchTo(const QString& type) {
        Js(*view, "map.removeLayer(currentLayer); map.addLayer(mapTypes['" + type + "']); 1");
    }
};

TEST_F(LeafletPage, OpensOnTheRoadMapAtItsCentreWithAnEmptyRedRoad) {
    EXPECT_DOUBLE_EQ(Number("map.getCenter().lat"), 29.23);
    EXPECT_DOUBLE_EQ(Number("map.getCenter().lng"), 94.56);
    EXPECT_EQ(Number("map.getZoom()"), 16);
    EXPECT_EQ(RoadPoints(), 0);
    EXPECT_EQ(Js(*view, "road.options.color").toString(), "#FF0000");
    EXPECT_EQ(Number("road.options.opacity"), 1.0);
    EXPECT_EQ(Number("road.options.weight"), 5);
    QString type;
    ASSERT_TRUE(view->CallScript("GetMapType", {}, &type));
    EXPECT_EQ(type, "google.maps.MapTypeId.ROADMAP");
    // The map fills the whole view, and the page offers no context menu.
    EXPECT_EQ(Number("document.getElementById('map').offsetHeight"), Number("window.innerHeight"));
    EXPECT_EQ(Number("document.body.offsetLeft + document.getElementById('map').offsetTop"), 0);
    EXPECT_FALSE(Js(*view, "document.dispatchEvent(new MouseEvent('contextmenu', "
                           "{bubbles: true, cancelable: true}))")
                     .toBool());
}

// Each call as the player makes it, in turn: what it answers, and what it leaves in the page.
// The marker adds nothing to the road, and the map pans to it. Leaflet refuses a position
// that is not a number: that call throws, and the calls after it still work.
TEST_F(LeafletPage, EachCallAnswersAndLeavesItsMarkInThePage) {
    const QString lat = "12.500000000000000";
    const QString lng = "-45.250000000000000";
    const QString road = "road.getLatLngs().length";
    const QString at = "marker.getLatLng().lat + ' ' + marker.getLatLng().lng";
    const QString centre = road + " + ' ' + map.getCenter().lat";
    const struct {
        const char* name;
        QStringList arguments;
        bool answer;
        QString probe;
        const char* value;
    } steps[] = {
        {"SetMarker", {lat, lng, lat, lng}, true, at, "12.5 -45.25"},
        {"SetMarker", {"12.5", "-45.25", "12.5", "-45.25"}, true, centre, "0 12.5"},
        {"SetRoad", {"1.0", "2.0"}, true, road, "1"},
        {"SetRoad", {"1.5", "2.5"}, true, road + " + ' ' + road.getLatLngs()[1].lng", "2 2.5"},
        {"ShowRoad", {}, true, road, "2"},
        {"ClearRoad", {}, true, road, "0"},
        {"SetMarker", {"1", "2", "1", "2"}, true, "map.hasLayer(marker)", "true"},
        {"ClearMarker", {}, true, "map.hasLayer(marker)", "false"},
        {"NoSuchFunction", {}, false, road, "0"},
        {"SetMarker", {"north", "east", "north", "east"}, false, road, "0"},
        {"ShowRoad", {}, true, road, "0"},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.name);
        EXPECT_EQ(Call(step.name, step.arguments), step.answer);
        ExpectSoon(step.probe, step.value);
    }
    CMapView unloaded(nullptr, false);
    EXPECT_FALSE(unloaded.CallScript("ShowRoad", {}, nullptr));
}

// A switch of map type places the last marker again in the new type's form: hybrid takes the
// second position, every other type the first; with no marker yet it places none. A type of
// no standard name is named by its own.
TEST_F(LeafletPage, EachMapTypeHasItsNameAndASwitchRepeatsTheMarkerInItsForm) {
    const struct {
        QStringList marker; // set before the switch, when any
        const char* before;
        const char* type;
        const char* name;
        const char* after;
    } steps[] = {
        {{}, "none", "satellite", "google.maps.MapTypeId.SATELLITE", "none"},
        {{"10", "20", "11", "21"}, "10 20", "hybrid", "google.maps.MapTypeId.HYBRID", "11 21"},
        {{"30", "40", "31", "41"}, "31 41", "terrain", "google.maps.MapTypeId.TERRAIN", "30 40"},
        {{}, "30 40", "roadmap", "google.maps.MapTypeId.ROADMAP", "30 40"},
    };
    const QString marker =
        "marker === null ? 'none' : marker.getLatLng().lat + ' ' + marker.getLatLng().lng";
    QString type;
    for (const auto& step : steps) {
        SCOPED_TRACE(step.type);
        if (!step.marker.isEmpty()) {
            ASSERT_TRUE(Call("SetMarker", step.marker));
        }
        EXPECT_EQ(Js(*view, marker).toString().toStdString(), step.before);
        SwitchTo(step.type);
        EXPECT_EQ(Js(*view, marker).toString().toStdString(), step.after);
        EXPECT_EQ(RoadPoints(), 0);
        ASSERT_TRUE(view->CallScript("GetMapType", {}, &type));
        EXPECT_EQ(type, step.name);
    }
    Js(*view, "var night = L.tileLayer('');"
              "night.mapType = {id: 'night', name: 'Night'};"
              "layerControl.addBaseLayer(night, 'Night');"
              "map.removeLayer(currentLayer); map.addLayer(night); 1");
    ASSERT_TRUE(view->CallScript("GetMapType", {}, &type));
    EXPECT_EQ(type, "Night: No appropriate mapTypeId found.");
}

TEST_F(LeafletPage, ScriptLookingArgumentsArriveAsData) {
    Js(*view, "window.Echo = function () {"
              "  window.echoed = Array.prototype.slice.call(arguments);"
              "  return arguments.length; }; 1");
    const QString quote = QStringLiteral("\"); alert(1); (\"");
    const QString apostrophe = QStringLiteral("'); alert(2); ('");
    QString big(1024 * 1024, QChar(u'x'));
    big[0] = u'"';
    big[500000] = u'\\';
    big[1024 * 1024 - 1] = u'\n';
    QString result;
    ASSERT_TRUE(view->CallScript("Echo", {quote, apostrophe, big, "</script>\u2028"}, &result));
    EXPECT_EQ(result, "4");
    EXPECT_EQ(Js(*view, "echoed[0]").toString(), quote);
    EXPECT_EQ(Js(*view, "echoed[1]").toString(), apostrophe);
    EXPECT_EQ(Js(*view, "echoed[2]").toString(), big);
    EXPECT_EQ(Js(*view, "echoed[3]").toString(), QStringLiteral("</script>\u2028"));

    // A name that tries to close the call is only a name no function has.
    EXPECT_FALSE(view->CallScript("Echo\"]); alert(3); ([\"", {}, nullptr));
    EXPECT_FALSE(view->CallScript("SetMarker'); alert(4); ('", {"1", "2", "1", "2"}, nullptr));
    PumpFor(200ms);
    EXPECT_EQ(view->Page()->DialogsAsked(), 0);
    EXPECT_EQ(RoadPoints(), 0);
}

// The arrow turns to each heading that is a number and is drawn anew only when the heading
// changes: a mark left on it tells whether the page drew a new one.
TEST_F(LeafletPage, ArrowTurnsToTheHeadingAndIsRedrawnOnlyWhenItChanges) {
    ASSERT_TRUE(Call("SetMarker", {"1", "2", "1", "2"}));
    const struct {
        const char* heading;
        const char* rotation;
        bool redrawn;
    } steps[] = {
        {"90.0", "rotate(90deg)", true},    {"90", "rotate(90deg)", false},
        {"91.5", "rotate(91.5deg)", true},  {"135.0", "rotate(135deg)", true},
        {"south", "rotate(135deg)", false},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.heading);
        Js(*view, "marker.getElement().firstElementChild.dataset.seen = 'yes'");
        ASSERT_TRUE(Call("SetHeading", {step.heading}));
        EXPECT_TRUE(Js(*view, "marker.getElement().innerHTML").toString().contains(step.rotation));
        EXPECT_EQ(
            Js(*view, "marker.getElement().firstElementChild.dataset.seen || 'new'").toString(),
            step.redrawn ? "new" : "yes");
    }
}

TEST_F(LeafletPage, RouteIsDrawnFaintlyFittedAndAClickSeeksToTheNearestSecond) {
    // Three seconds along a meridian, about 1.1 km apart, with a gap at second 2.
    ASSERT_TRUE(Call("SetRoute", {"[[0,48.00,11.0],[1,48.01,11.0],[3,48.02,11.0]]"}));
    ASSERT_TRUE(Call("FitRoute"));
    EXPECT_EQ(RoutePoints(), 3);
    EXPECT_LT(Number("route.options.opacity"), 1.0);
    EXPECT_NE(Js(*view, "route.options.color").toString(), "#FF0000");
    EXPECT_TRUE(Js(*view, "map.getBounds().contains(route.getBounds())").toBool());
    EXPECT_EQ(RoadPoints(), 0) << "the route is not the road";

    ASSERT_TRUE(PumpUntil([&] { return Js(*view, "bridge !== null").toBool(); }));
    QSignalSpy seek(view.get(), &CMapView::SeekRequested);
    Js(*view, "route.fire('click', {latlng: L.latLng(48.0185, 11.0)}); 1");
    ASSERT_TRUE(PumpUntil([&] { return !seek.isEmpty(); }, 5s));
    EXPECT_EQ(seek.takeFirst().at(0).toInt(), 3);
    Js(*view, "route.fire('click', {latlng: L.latLng(48.004, 11.0)}); 1");
    ASSERT_TRUE(PumpUntil([&] { return !seek.isEmpty(); }, 5s));
    EXPECT_EQ(seek.takeFirst().at(0).toInt(), 0);
}

TEST_F(LeafletPage, WithoutTilesTheNoteShowsOverAPlainMapWithAScaleBar) {
    EXPECT_TRUE(PumpUntil([&] {
        return !Js(*view, "document.getElementById('offline').hidden").toBool();
    })) << "no note while every tile request fails";
    EXPECT_GT(RefusedRequests(), 0);
    EXPECT_EQ(Number("document.getElementsByClassName('leaflet-control-scale').length"), 1);
    // Route, road and marker are drawn all the same.
    ASSERT_TRUE(Call("SetRoute", {"[[0,48.0,11.0],[1,48.01,11.0]]"}));
    ASSERT_TRUE(Call("AddRoad", {"[[0,48.0,11.0],[1,48.01,11.0]]"}));
    ASSERT_TRUE(Call("SetMarker", {"48.01", "11.0", "48.01", "11.0"}));
    EXPECT_EQ(Number("document.querySelectorAll('path.leaflet-interactive').length"), 1);
    EXPECT_EQ(Number("document.querySelectorAll('.leaflet-overlay-pane path').length"), 2);
    EXPECT_TRUE(Js(*view, "map.hasLayer(marker)").toBool());
}

TEST_F(LeafletPage, ACreditLinkOpensInTheDesktopsBrowserAndTheMapStays) {
    OpenedUrls browser;
    QDesktopServices::setUrlHandler("https", &browser, "Open");
    Js(*view, "document.querySelector('.leaflet-control-attribution a[href*=copyright]')"
              ".click(); 1");
    EXPECT_TRUE(PumpUntil([&] { return !browser.urls.isEmpty(); }, 5s));
    QDesktopServices::unsetUrlHandler("https");
    EXPECT_EQ(browser.urls, QList<QUrl>{QUrl("https://www.openstreetmap.org/copyright")});
    // The page asked to leave, was refused, and is still the map, alive.
    PumpFor(300ms);
    EXPECT_EQ(view->page()->url(), QUrl("qrc:/map/page130.html"));
    EXPECT_TRUE(view->PageReady());
    EXPECT_TRUE(Call("SetMarker", {"1", "2", "1", "2"}));
}

TEST_F(LeafletPage, RequestsNameTheProgramAndTheServicesAreCredited) {
    EXPECT_TRUE(Js(*view, "navigator.userAgent").toString().startsWith("Ostvik/"));
    const QString credits =
        Js(*view, "document.querySelector('.leaflet-control-attribution').textContent").toString();
    EXPECT_TRUE(credits.contains("OpenStreetMap")) << credits.toStdString();
    SwitchTo("satellite");
    const QString imagery =
        Js(*view, "document.querySelector('.leaflet-control-attribution').textContent").toString();
    EXPECT_TRUE(imagery.contains("Esri")) << imagery.toStdString();
}

} // namespace
