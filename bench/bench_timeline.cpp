// What painting the drive timeline costs, once per playback tick, for a three-hour drive of
// five-minute clips with 200 driving events across a full-width window: it should stay well
// under a millisecond.
#include "playback/CDriveTimeline.h"

#include <QApplication>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

std::shared_ptr<LoadedDrive> LongDrive() {
    auto loaded = std::make_shared<LoadedDrive>();
    Drive& drive = loaded->drive;
    drive.clock = DriveClock::Utc;
    drive.start = 1717243230;
    drive.seconds = 3 * 3600;
    drive.end = drive.start + drive.seconds;
    const int clips = 36;
    const int eventsPerClip = 200 / clips + 1;
    for (int i = 0; i < clips; ++i) {
        DriveClip clip;
        clip.at = i * 300;
        clip.main.seconds = 298.0;
        for (int e = 0; e < eventsPerClip && i * eventsPerClip + e < 200; ++e) {
            clip.main.events.push_back(
                {e * 50 + 7, static_cast<DrivingEventKind>(e % 5), 0.45, 60});
        }
        drive.clips.push_back(clip);
    }
    loaded->events = EventsOfDrive(drive);
    return loaded;
}

void BM_DriveTimelinePaint(benchmark::State& state) {
    CDriveTimeline timeline;
    timeline.resize(1280, CDriveTimeline::kHeight);
    timeline.SetDrive(LongDrive());
    QImage image(timeline.size(), QImage::Format_ARGB32_Premultiplied);
    int second = 0;
    for (auto _ : state) {
        second = (second + 1) % (3 * 3600);
        timeline.SetDriveSecond(second);
        QPainter painter(&image);
        timeline.paint(painter, timeline.rect());
    }
}
BENCHMARK(BM_DriveTimelinePaint)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
