#include "library/DriveHeader.h"

#include "track/DriveGrouping.h"

#include <QDateTime>
#include <QTimeZone>

QString DriveHeaderText(const Drive& drive) {
    QStringList parts;
    if (drive.clock != DriveClock::None) {
        // The camera's clock is stored as if it were UTC; reading it back in UTC gives its
        // figures as written.
        const QTimeZone zone =
            drive.clock == DriveClock::Utc ? QTimeZone::systemTimeZone() : QTimeZone::utc();
        const QDateTime start = QDateTime::fromSecsSinceEpoch(drive.start, zone);
        const QDateTime end = QDateTime::fromSecsSinceEpoch(drive.end, zone);
        parts << start.toString(QStringLiteral("yyyy-MM-dd"))
              << start.toString(QStringLiteral("HH:mm")) + QChar(0x2013) +
                     end.toString(QStringLiteral("HH:mm"));
    }
    // A drive is shown in whole minutes, rounded up: a drive of 30 s is not one of 0 min.
    parts << QStringLiteral("%1 min").arg((drive.seconds + 59) / 60)
          << QStringLiteral("%1 km").arg(drive.km, 0, 'f', 1)
          << QStringLiteral("%1 clips").arg(drive.clips.size());
    return parts.join(QStringLiteral("  "));
}
