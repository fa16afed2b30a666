#include "playback/DriveTimeText.h"

#include <QDateTime>

#include <array>
#include <cmath>
#include <cstdint>

namespace {

// Room for a label of "00:00:00" in the small font with space either side.
constexpr double kLabelSpacingPixels = 64.0;

// Steps a person counts in, from half a minute to a day.
constexpr std::array<int64_t, 17> kLabelSteps = {30,    60,    120,   300,    600,   900,
                                                 1200,  1800,  3600,  7200,   10800, 14400,
                                                 21600, 43200, 86400, 172800, 604800};

int64_t WholeSecond(double second) {
    return static_cast<int64_t>(std::floor(second));
}

QString ElapsedText(int64_t seconds, bool hours) {
    const auto pad = [](int64_t value) { return QString::number(value).rightJustified(2, '0'); };
    if (hours) {
        return QString::number(seconds / 3600) + ':' + pad(seconds / 60 % 60) + ':' +
               pad(seconds % 60);
    }
    return QString::number(seconds / 60) + ':' + pad(seconds % 60);
}

// How far the drive's clock reads ahead of the seconds it counts in: the system zone's
// offset for UTC, none for the camera's own clock.
int64_t ClockOffset(const Drive& drive) {
    if (drive.clock != DriveClock::Utc) {
        return 0;
    }
    return QDateTime::fromSecsSinceEpoch(drive.start).offsetFromUtc();
}

} // namespace

QString DriveClockText(const Drive& drive, double second, bool withSeconds) {
    const int64_t at = WholeSecond(second);
    const QString format = withSeconds ? QStringLiteral("HH:mm:ss") : QStringLiteral("HH:mm");
    switch (drive.clock) {
    case DriveClock::Utc:
        return QDateTime::fromSecsSinceEpoch(drive.start + at).toString(format);
    case DriveClock::Camera:
        return QDateTime::fromSecsSinceEpoch(drive.start + at, Qt::UTC).toString(format);
    case DriveClock::None:
        break;
    }
    return ElapsedText(at, drive.seconds >= 3600);
}

std::vector<DriveTimeLabel> DriveTimeLabels(const Drive& drive, double span,
                                            double pixelsPerSecond) {
    std::vector<DriveTimeLabel> labels;
    if (!(pixelsPerSecond > 0.0) || !(span > 0.0)) {
        return labels;
    }
    int64_t step = kLabelSteps.back();
    for (const int64_t candidate : kLabelSteps) {
        if (candidate * pixelsPerSecond >= kLabelSpacingPixels) {
            step = candidate;
            break;
        }
    }
    // Round times of the clock as it reads, so that the labels fall on 12:10, not 12:07.
    const int64_t start = drive.clock == DriveClock::None ? 0 : drive.start + ClockOffset(drive);
    int64_t tick = (start + step - 1) / step * step;
    if (start < 0) {
        tick = start / step * step;
    }
    for (; tick - start <= span; tick += step) {
        const double second = static_cast<double>(tick - start);
        labels.push_back({second, DriveClockText(drive, second, step < 60)});
    }
    return labels;
}

QString DriveEventText(const Drive& drive, const DriveEvent& event) {
    QString text = DriveClockText(drive, event.driveSecond, true) + QStringLiteral("  ") +
                   QString::fromLatin1(DrivingEventName(event.event.kind)).replace('-', ' ');
    if (event.event.kind != DrivingEventKind::Locked) {
        text += QStringLiteral("  %1 g").arg(event.event.peakG, 0, 'f', 2);
    }
    if (event.event.speedKmh) {
        text += QStringLiteral("  %1 km/h").arg(*event.event.speedKmh);
    }
    return text;
}
