// What one playback tick costs the chart and the dial, for the store of a one-hour clip
// beside that of a ten-second clip: it should not depend on the clip's length.
#include "instruments/CGSensesDlg.h"
#include "instruments/CMyStatic.h"
#include "instruments/CSpeedStatic.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <cmath>
#include <string>

namespace {

void FillStores(CMyStatic& chart, CSpeedStatic& dial, int seconds) {
    chart.ResetTrack(0);
    dial.ClearSpeedRecords();
    for (int s = 0; s < seconds; ++s) {
        const std::string line = "T:" + std::to_string(s * 1000) +
                                 " X:" + std::to_string(std::sin(s * 0.1)) +
                                 " Y:" + std::to_string(std::cos(s * 0.07)) + " Z:1.0 G:0";
        chart.AddTrackLine(line.c_str());
        dial.SetSpeedRecord(s, s % 130, s % 360);
    }
}

void BM_PlaybackTick(benchmark::State& state) {
    CGSensesDlg pane;
    pane.resize(381, 189);
    CMyStatic& chart = *CMyStatic::Instance();
    CSpeedStatic dial;
    const int seconds = static_cast<int>(state.range(0));
    FillStores(chart, dial, seconds);
    chart.AdvanceTo(0); // lays the chart's picture out once, as the first paint does
    QApplication::processEvents();
    unsigned second = 0;
    for (auto _ : state) {
        second = second + 1 < static_cast<unsigned>(seconds) ? second + 1 : 1;
        if (second == 1) {
            state.PauseTiming();
            chart.AdvanceTo(0);
            QApplication::processEvents();
            state.ResumeTiming();
        }
        chart.AdvanceTo(second);
        dial.ShowSpeedAt(static_cast<int>(second) - 1);
    }
}
BENCHMARK(BM_PlaybackTick)->Arg(10)->Arg(3600);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
