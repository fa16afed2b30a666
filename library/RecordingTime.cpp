#include "library/RecordingTime.h"

#include "track/CameraFileName.h"
#include "track/UtcTime.h"

#include <QFile>
#include <QFileInfo>

#include <optional>

QDateTime RecordingTime::FromFileName(const QString& fileName) {
    const std::optional<CameraFileName> read =
        ReadCameraFileName(QFile::encodeName(fileName).toStdString());
    if (!read) {
        return {};
    }
    // The camera's clock counts local time as if it were UTC: its fields are the local
    // date and time the name states.
    const QDateTime fields = QDateTime::fromSecsSinceEpoch(read->cameraTime, Qt::UTC);
    return QDateTime(fields.date(), fields.time());
}

QDateTime RecordingTime::Of(const QString& path, int64_t trackStartUtc) {
    if (trackStartUtc != kUnknownUtc) {
        return QDateTime::fromSecsSinceEpoch(trackStartUtc, Qt::UTC).toLocalTime();
    }
    const QFileInfo file(path);
    const QDateTime named = FromFileName(file.fileName());
    if (named.isValid()) {
        return named;
    }
    return file.lastModified();
}

QString RecordingTime::TitleText(const QString& path, int64_t trackStartUtc) {
    const QString name = QFileInfo(path).fileName();
    const QDateTime when = Of(path, trackStartUtc);
    if (!when.isValid()) {
        return name;
    }
    return name + QStringLiteral("  ") + when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}
