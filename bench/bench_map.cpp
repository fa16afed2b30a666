// The script bridge's round trip: one CallScript to the loaded map page and its answer,
// and the tick's share of it, posting the marker without waiting.
#include "map/CMapView.h"

#include <QApplication>
#include <QElapsedTimer>

#include <benchmark/benchmark.h>

#include <clocale>
#include <cstdio>
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
