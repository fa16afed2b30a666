// The two pages carried for other map services, against stand-ins for the services'
// libraries put into the page before its own script runs; the real libraries are refused
// like every request off the machine.
#include "MapTestSupport.h"

#include "map/CMapView.h"

#include <QWebEngineScript>
#include <QWebEngineScriptCollection>

#include <gtest/gtest.h>

#include <memory>

namespace {

// Records every script address the page adds, the way the service sees its requests.
const char kScriptLog[] = R"(
window.scriptsRequested = [];
new MutationObserver(function (changes) {
  changes.forEach(function (change) {
    change.addedNodes.forEach(function (node) {
      if (node.tagName === 'SCRIPT' && node.src) { scriptsRequested.push(node.src); }
    });
  });
}).observe(document, {childList: true, subtree: true});
)";

const char kBaiduStandIn[] = R"(
window.BMAP_NORMAL_MAP = 'normal';
window.BMAP_HYBRID_MAP = 'hybrid';
window.BMap = {
  Point: function (lng, lat) { this.lng = lng; this.lat = lat; },
  Map: function (id, options) { this.id = id; this.controls = []; this.overlays = []; },
  NavigationControl: function () { this.kind = 'navigation'; },
  MapTypeControl: function (options) { this.kind = 'maptype'; this.types = options.mapTypes; },
  Marker: function (point) { this.position = point; },
  Polyline: function (path, options) { this.path = path; this.options = options; }
};
BMap.Map.prototype.addControl = function (c) { this.controls.push(c.kind); };
BMap.Map.prototype.enableScrollWheelZoom = function () { this.wheel = true; };
BMap.Map.prototype.centerAndZoom = function (p, z) { this.center = p; this.zoom = z; };
BMap.Map.prototype.setCurrentCity = function (c) { this.city = c; };
BMap.Map.prototype.addOverlay = function (o) { this.overlays.push(o); };
BMap.Map.prototype.removeOverlay = function (o) {
  this.overlays = this.overlays.filter(function (x) { return x !== o; });
};
BMap.Map.prototype.panTo = function (p) { this.center = p; };
BMap.Marker.prototype.setPosition = function (p) { this.position = p; };
BMap.Polyline.prototype.setPath = function (p) { this.path = p.slice(); };
// The conversion service's answer to the latest request: the point moved half a degree
// east, so that the page is seen to use the answer and not its own point.
window.AnswerConversion = function () {
  var request = scriptsRequested.filter(function (s) { return s.indexOf('/ag/coord/convert') >= 0; }).pop();
  var query = new URL(request).searchParams;
  var name = query.get('callback').split('.').pop();
  BMap.Convertor[name]({x: parseFloat(query.get('x')) + 0.5, y: parseFloat(query.get('y'))});
  return name;
};
)";

const char kSosoStandIn[] = R"(
window.labels = [];
window.soso = {maps: {
  MapTypeId: {ROADMAP: 'roadmap'},
  LatLng: function (lat, lng) { this.lat = +lat; this.lng = +lng; },
  Map: function (element, options) { this.element = element.id; this.options = options; this.center = options.center; },
  Label: function (options) { this.options = options; this.position = options.position; labels.push(this); }
}};
soso.maps.Map.prototype.panTo = function (p) { this.center = p; };
soso.maps.Label.prototype.setPosition = function (p) { this.position = p; };
)";

void Inject(CMapView& view, const QString& name, const QString& source) {
    QWebEngineScript script;
    script.setName(name);
    script.setSourceCode(source);
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setWorldId(QWebEngineScript::MainWorld);
    view.page()->scripts().insert(script);
}

std::unique_ptr<CMapView> PageWithStandIns(int resource, const QStringList& sources) {
    auto view = std::make_unique<CMapView>(nullptr, false);
    view->resize(400, 300);
    Inject(*view, "log", QLatin1String(kScriptLog));
    for (int i = 0; i < sources.size(); ++i) {
        Inject(*view, QString::number(i), sources[i]);
    }
    if (!LoadPage(*view, resource)) {
        return nullptr;
    }
    return view;
}

TEST(BaiduPage, LoadsTheLibraryWithTheKeyAndCreatesItsMap) {
    qputenv("OSTVIK_BAIDU_AK", "Ab12Cd34Ef56Gh78Ij90Kl12");
    auto view = PageWithStandIns(CMapView::kBaiduPage, {QLatin1String(kBaiduStandIn)});
    qunsetenv("OSTVIK_BAIDU_AK");
    ASSERT_NE(view, nullptr);
    EXPECT_TRUE(Js(*view, "scriptsRequested[0]")
                    .toString()
                    .startsWith("https://api.map.baidu.com/api?v=2.0&ak=Ab12Cd34Ef56Gh78Ij90Kl12"));
    EXPECT_EQ(Js(*view, "document.characterSet").toString(), "UTF-8");
    EXPECT_EQ(Js(*view, "map.id").toString(), "BaiduMap");
    EXPECT_EQ(Js(*view, "[map.center.lng, map.center.lat, map.zoom].join(' ')").toString(),
              "121.491 31.233 16");
    EXPECT_EQ(Js(*view, "map.city").toString(), QString::fromUtf8("北京"));
    EXPECT_EQ(Js(*view, "map.controls.join(' ') + ' ' + map.wheel").toString(),
              "navigation maptype true");
    EXPECT_EQ(Js(*view, "road.options.strokeColor + ' ' + road.options.strokeWeight + ' ' + "
                        "road.options.strokeOpacity")
                  .toString(),
              "red 8 0.5");
    QString none;
    EXPECT_FALSE(view->CallScript("GetMapType", {}, &none));
}

TEST(BaiduPage, MarkerGoesThroughTheConversionAndTheRoadStartsAtClearRoad) {
    auto view = PageWithStandIns(CMapView::kBaiduPage, {QLatin1String(kBaiduStandIn)});
    ASSERT_NE(view, nullptr);
    // Before the first ClearRoad there is no point list: the marker moves, no road.
    ASSERT_TRUE(view->CallScript("SetMarker", {"31.2", "121.4", "31.25", "121.25"}, nullptr));
    const QString request = Js(*view, "scriptsRequested[scriptsRequested.length - 1]").toString();
    EXPECT_TRUE(request.startsWith("https://api.map.baidu.com/ag/coord/convert?from=0&to=4"
                                   "&x=121.25&y=31.25&callback=BMap.Convertor.cbk_"))
        << request.toStdString();
    const QString name = Js(*view, "AnswerConversion()").toString();
    EXPECT_TRUE(Js(*view, "BMap.Convertor['" + name + "'] === undefined").toBool());
    EXPECT_EQ(Js(*view, "[marker.position.lng, marker.position.lat].join(' ')").toString(),
              "121.75 31.25");
    EXPECT_EQ(Js(*view, "road.path.length").toInt(), 0);

    ASSERT_TRUE(view->CallScript("ClearRoad", {}, nullptr));
    ASSERT_TRUE(view->CallScript("SetMarker", {"31.2", "121.4", "31.3", "121.5"}, nullptr));
    Js(*view, "AnswerConversion()");
    EXPECT_EQ(Js(*view, "road.path.length").toInt(), 0) << "one point is no road yet";
    ASSERT_TRUE(view->CallScript("SetMarker", {"31.2", "121.4", "31.4", "121.6"}, nullptr));
    Js(*view, "AnswerConversion()");
    EXPECT_EQ(Js(*view, "road.path.length").toInt(), 2);

    ASSERT_TRUE(view->CallScript("SetRoad", {"31.5", "121.7"}, nullptr));
    ASSERT_TRUE(view->CallScript("ShowRoad", {}, nullptr));
    EXPECT_EQ(Js(*view, "road.path[2].lng + ' ' + road.path[2].lat").toString(), "121.7 31.5");
    ASSERT_TRUE(view->CallScript("ClearMarker", {}, nullptr));
    EXPECT_EQ(Js(*view, "map.overlays.length").toInt(), 1) << "only the road is left";
}

TEST(SosoPage, OpensAtTheGeolocatedPlaceOrCentralBeijing) {
    auto plain = PageWithStandIns(CMapView::kSosoPage, {QLatin1String(kSosoStandIn)});
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(
        Js(*plain, "map.element + ' ' + map.options.zoom + ' ' + map.options.mapTypeId").toString(),
        "container 16 roadmap");
    EXPECT_EQ(Js(*plain, "map.center.lat + ' ' + map.center.lng").toString(),
              "39.916527 116.397128");
    EXPECT_EQ(Js(*plain, "document.characterSet").toString(), "GBK");
    EXPECT_TRUE(Js(*plain, "scriptsRequested.join(' ')").toString().contains("geoip"));

    auto empty = PageWithStandIns(CMapView::kSosoPage,
                                  {QLatin1String(kSosoStandIn),
                                   "window.geoip_latitude = function () { return ''; };"
                                   "window.geoip_longitude = function () { return '10'; };"});
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(Js(*empty, "map.center.lat").toDouble(), 39.916527);

    auto located = PageWithStandIns(CMapView::kSosoPage,
                                    {QLatin1String(kSosoStandIn),
                                     "window.geoip_latitude = function () { return '59.91'; };"
                                     "window.geoip_longitude = function () { return '10.75'; };"});
    ASSERT_NE(located, nullptr);
    EXPECT_EQ(Js(*located, "map.center.lat + ' ' + map.center.lng").toString(), "59.91 10.75");
}

TEST(SosoPage, MarkerIsALabelTitledHelloAndOtherCallsFail) {
    auto view = PageWithStandIns(CMapView::kSosoPage, {QLatin1String(kSosoStandIn)});
    ASSERT_NE(view, nullptr);
    ASSERT_TRUE(view->CallScript("SetMarker", {"1", "2", "3", "4"}, nullptr));
    ASSERT_TRUE(view->CallScript("SetMarker", {"1", "2", "5", "6"}, nullptr));
    EXPECT_EQ(Js(*view, "labels.length").toInt(), 1);
    EXPECT_EQ(Js(*view, "labels[0].options.title").toString(), "hello");
    EXPECT_EQ(Js(*view, "labels[0].position.lat + ' ' + labels[0].position.lng").toString(), "5 6");
    EXPECT_EQ(Js(*view, "map.center.lat").toInt(), 5);
    EXPECT_FALSE(view->CallScript("ClearRoad", {}, nullptr));
}

TEST(OtherPages, WithoutTheirLibrariesNoMapIsMadeAndMarkersDoNothing) {
    for (int resource : {CMapView::kBaiduPage, CMapView::kSosoPage}) {
        auto view = PageWithStandIns(resource, {});
        ASSERT_NE(view, nullptr) << resource;
        EXPECT_TRUE(Js(*view, "map === null").toBool()) << resource;
        EXPECT_TRUE(view->CallScript("SetMarker", {"1", "2", "1", "2"}, nullptr)) << resource;
    }
}

} // namespace
