#include "playback/SnapshotFile.h"

#include "playback/VideoPaneRules.h"

#include <QFileInfo>

namespace {

void AddFacts(QImage& frame, const QString& clipName, double offset, const SnapshotFacts& facts) {
    frame.setText(QLatin1String(SnapshotKey::kClip), clipName);
    frame.setText(QLatin1String(SnapshotKey::kOffset), TenthsTimeText(offset));
    if (facts.utc != kUnknownUtc) {
        frame.setText(QLatin1String(SnapshotKey::kRecorded),
                      QString::fromStdString(UtcText(facts.utc)));
    }
    // Six decimals place a point within a decimetre, the receivers' own precision.
    if (facts.latitude && facts.longitude) {
        frame.setText(QLatin1String(SnapshotKey::kLatitude),
                      QString::number(*facts.latitude, 'f', 6));
        frame.setText(QLatin1String(SnapshotKey::kLongitude),
                      QString::number(*facts.longitude, 'f', 6));
    }
    if (facts.speedKmh) {
        frame.setText(QLatin1String(SnapshotKey::kSpeed),
                      QString::number(*facts.speedKmh) + QStringLiteral(" km/h"));
    }
}

} // namespace

bool SaveSnapshot(QImage frame, const QString& path, const QString& clipName, double offset,
                  const SnapshotFacts& facts) {
    if (QFileInfo(path).suffix().compare(QStringLiteral("png"), Qt::CaseInsensitive) != 0) {
        return frame.save(path, "BMP");
    }
    AddFacts(frame, clipName, offset, facts);
    return frame.save(path, "PNG");
}
