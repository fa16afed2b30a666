// What one playback tick costs the chart and the dial, painting included, for the store of
// a one-hour clip beside that of a ten-second clip: it should not depend on the clip's length.
// Three ways a clip plays: at normal speed (one second per tick), at 8x (four seconds per
// tick), and with its lines arriving from the engine's data stream just before each tick.
#include "instruments/CGSensesDlg.h"
#include "instruments/CMyStatic.h"
#include "instruments/CSpeedStatic.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <cmath>
#include <string>

namespace {

std::string LineFor(int s) {
    return "T:" + std::to_string(s * 1000) + " X:" + std::to_string(std::sin(s * 0.1)) +
           " Y:" + std::to_string(std::cos(s * 0.07)) + " Z:1.0 G:0";
}

void FillStores(CMyStatic& chart, CSpeedStatic& dial, int seconds) {
    chart.ResetTrack(0);
    dial.ClearSpeedRecords();
    for (int s = 0; s < seconds; ++s) {
        chart.AddTrackLine(LineFor(s).c_str());
        dial.SetSpeedRecord(s, s % 130, s % 360);
    }
}

// The pane is shown, so that each tick's update is painted into the offscreen backing
// store when the events are processed.
struct Panes {
    CGSensesDlg pane;
    CSpeedStatic dial;
    CMyStatic& chart;

    Panes() : chart(*CMyStatic::Instance()) {
        pane.resize(381, 189);
        pane.show();
        dial.resize(272, 110);
        dial.show();
        QApplication::processEvents();
    }

    void Tick(unsigned second) {
        chart.AdvanceTo(second);
        dial.ShowSpeedAt(static_cast<int>(second));
        QApplication::processEvents();
    }
};

// A stored clip played with `step` seconds per tick, from the start to the end and again.
void BM_StoredClipTick(benchmark::State& state) {
    Panes panes;
    const int seconds = static_cast<int>(state.range(0));
    const auto step = static_cast<unsigned>(state.range(1));
    FillStores(panes.chart, panes.dial, seconds);
    panes.Tick(0);
    unsigned second = 0;
    for (auto _ : state) {
        second += step;
        if (second >= static_cast<unsigned>(seconds)) {
            state.PauseTiming();
            second = step;
            panes.Tick(0);
            state.ResumeTiming();
        }
        panes.Tick(second);
    }
}
BENCHMARK(BM_StoredClipTick)
    ->ArgNames({"seconds", "step"})
    ->Args({10, 1})
    ->Args({3600, 1})
    ->Args({10, 4})
    ->Args({3600, 4});

// A clip whose lines come from the engine's data stream: the line of each second arrives
// just before the tick that shows it. Measured over the second half of the clip, where the
// store is longest.
void BM_DataStreamTick(benchmark::State& state) {
    Panes panes;
    const int seconds = static_cast<int>(state.range(0));
    const int half = seconds / 2;
    auto restart = [&] {
        FillStores(panes.chart, panes.dial, half + 1);
        panes.Tick(static_cast<unsigned>(half));
    };
    restart();
    int second = half;
    for (auto _ : state) {
        ++second;
        if (second >= seconds) {
            state.PauseTiming();
            restart();
            second = half + 1;
            state.ResumeTiming();
        }
        panes.chart.AddTrackLine(LineFor(second).c_str());
        panes.dial.SetSpeedRecord(second, second % 130, second % 360);
        panes.Tick(static_cast<unsigned>(second));
    }
}
BENCHMARK(BM_DataStreamTick)->ArgName("seconds")->Arg(10)->Arg(3600);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
