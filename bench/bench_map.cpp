// The script bridge's round trip: one CallScript to the loaded map page and its answer,
// and the tick's share of it, posting the marker without waiting; a three-hour drive's
// whole route drawn, and the tick's share of following it.
#include "map/CMapView.h"
#include "track/LoadedDrive.h"

#include <QApplication>
#include <QElapsedTimer>

#include <benchmark/benchmark.h>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <memory>
#include <unistd.h>

namespace {

CMapView* g_view = nullptr;

void BM_CallScriptRoundTrip(benchmark::State& state) {
    QString answer;
    for (auto _ : state) {
        if (!g_view->CallScript(QStringLiteral("GetMapType"), {}, &answer)) {
            state.SkipWithError("the call failed");
            break;
        }
    }
}
BENCHMARK(BM_CallScriptRoundTrip)->Unit(benchmark::kMillisecond);

void BM_CallScriptSetMarker(benchmark::State& state) {
    const QStringList position{
        QStringLiteral("29.230000000000000"), QStringLiteral("94.560000000000000"),
        QStringLiteral("29.230000000000000"), QStringLiteral("94.560000000000000")};
    for (auto _ : state) {
        if (!g_view->CallScript(QStringLiteral("SetMarker"), position, nullptr)) {
            state.SkipWithError("the call failed");
            break;
        }
    }
}
BENCHMARK(BM_CallScriptSetMarker)->Unit(benchmark::kMillisecond);

constexpr int kDriveClips = 36;
constexpr int kClipSeconds = 300; // 36 five-minute clips: three hours, 10,800 fixes

// A drive winding east at speeds that cross every band, so the route has many pieces.
std::shared_ptr<const LoadedDrive> ThreeHourDrive() {
    auto loaded = std::make_shared<LoadedDrive>();
    for (int clip = 0; clip < kDriveClips; ++clip) {
        DriveClip driveClip;
        driveClip.at = static_cast<int64_t>(clip) * kClipSeconds;
        loaded->drive.clips.push_back(driveClip);
        auto track = std::make_shared<ClipTrack>();
        for (int second = 0; second < kClipSeconds; ++second) {
            const int s = clip * kClipSeconds + second;
            track->Stores().map.PutEntry(second, 48.0 + 0.05 * std::sin(s / 600.0),
                                         11.0 + s * 0.0003, 'A');
            track->Stores().dial.SetSpeedRecord(second, (s / 7) % 150, 90);
        }
        loaded->tracks.push_back(track);
    }
    return loaded;
}

// From the call to the page having built the route's layers, the legend and the fit: the
// round trip after it is answered only once the route's call has run.
void BM_ShowThreeHourDrive(benchmark::State& state) {
    const std::shared_ptr<const LoadedDrive> drives[] = {ThreeHourDrive(), ThreeHourDrive()};
    int turn = 0;
    for (auto _ : state) {
        g_view->ShowDrive(drives[turn++ % 2]);
        if (!g_view->CallScript(QStringLiteral("GetMapType"), {}, nullptr)) {
            state.SkipWithError("the call failed");
            break;
        }
    }
    g_view->ShowDrive(nullptr);
}
BENCHMARK(BM_ShowThreeHourDrive)->Unit(benchmark::kMillisecond);

// One tick along the drive: the program's side of a second that moved, its post included.
void BM_DriveSecondTick(benchmark::State& state) {
    g_view->ShowDrive(ThreeHourDrive());
    g_view->CallScript(QStringLiteral("GetMapType"), {}, nullptr);
    int second = 0;
    for (auto _ : state) {
        g_view->ShowDriveSecond(second++ % (kDriveClips * kClipSeconds));
        QApplication::processEvents();
    }
    g_view->ShowDrive(nullptr);
}
BENCHMARK(BM_DriveSecondTick)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    if (::geteuid() == 0) {
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    }
    QApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    benchmark::Initialize(&argc, argv);

    CMapView view;
    view.resize(400, 300);
    view.show();
    g_view = &view;
    QElapsedTimer clock;
    clock.start();
    while (!view.PageReady() && clock.elapsed() < 60000) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    if (!view.PageReady()) {
        std::fprintf(stderr, "bench_map: the map page did not load\n");
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
