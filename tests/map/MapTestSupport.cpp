#include "MapTestSupport.h"

#include "map/CMapView.h"
#include "tests/support/Pump.h"
#include "track/LoadedDrive.h"

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

std::shared_ptr<const LoadedDrive> HandMadeDrive(const std::vector<DriveClipFixes>& clips) {
    auto loaded = std::make_shared<LoadedDrive>();
    for (const DriveClipFixes& clip : clips) {
        DriveClip driveClip;
        driveClip.main.path = "/drive/clip" + std::to_string(loaded->drive.clips.size()) + ".MP4";
        driveClip.at = clip.at;
        loaded->drive.clips.push_back(driveClip);
        auto track = std::make_shared<ClipTrack>();
        for (const DriveFix& fix : clip.fixes) {
            track->Stores().map.PutEntry(fix.second, fix.latitude, fix.longitude, fix.status);
            if (fix.kmh >= 0) {
                track->Stores().dial.SetSpeedRecord(fix.second, fix.kmh, 0);
            }
        }
        loaded->tracks.push_back(track);
    }
    return loaded;
}
