#include "MapTestSupport.h"

#include "map/CMapView.h"
#include "tests/support/Pump.h"

#include <QSignalSpy>

#include <memory>

using namespace std::chrono_literals;
using testsupport::PumpUntil;

QVariant Js(CMapView& view, const QString& script) {
    auto answer = std::make_shared<std::pair<bool, QVariant>>(false, QVariant());
    view.page()->runJavaScript(script, [answer](const QVariant& value) {
        answer->first = true;
        answer->second = value;
    });
    PumpUntil([&] { return answer->first; }, 10s);
    return answer->second;
}

bool LoadPage(CMapView& view, int resource) {
    QSignalSpy loaded(&view, &CMapView::PageLoaded);
    if (!view.LoadPageFromResource(resource)) {
        return false;
    }
    if (!PumpUntil([&] { return !loaded.isEmpty(); }, 30s)) {
        return false;
    }
    return loaded.last().at(0).toBool();
}

void OnLeafletPage::SetUp() {
    view = std::make_unique<CMapView>(nullptr, false);
    view->SetInstruments(&instruments);
    view->resize(640, 480);
    view->show();
    ASSERT_TRUE(LoadPage(*view, CMapView::kLeafletPage));
}

int OnLeafletPage::RoadPoints() {
    return Js(*view, "road.getLatLngs().length").toInt();
}

int OnLeafletPage::RoutePoints() {
    return Js(*view, "route.getLatLngs().length").toInt();
}

void OnLeafletPage::ExpectSoon(const QString& script, const QString& expected) {
    PumpUntil([&] { return Js(*view, script).toString() == expected; }, 10s);
    EXPECT_EQ(Js(*view, script).toString().toStdString(), expected.toStdString());
}
