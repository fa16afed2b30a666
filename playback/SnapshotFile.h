// Writes a snapshot frame to the file the user chose. A BMP carries the picture only; a PNG
// also carries, as text chunks, which clip and second it came from and where and when that
// second was recorded, so the picture can stand on its own as evidence.
#pragma once

#include "track/SnapshotFacts.h"

#include <QImage>
#include <QString>

// The text chunk keywords a PNG snapshot carries.
namespace SnapshotKey {
inline constexpr const char* kClip = "Clip";
inline constexpr const char* kOffset = "Offset";
inline constexpr const char* kRecorded = "Recorded";
inline constexpr const char* kLatitude = "Latitude";
inline constexpr const char* kLongitude = "Longitude";
inline constexpr const char* kSpeed = "Speed";
} // namespace SnapshotKey

// PNG when the path's suffix says so (any letter case), else BMP exactly as before. Facts
// the track did not give are left out rather than written empty. False when the file cannot
// be written.
bool SaveSnapshot(QImage frame, const QString& path, const QString& clipName, double offset,
                  const SnapshotFacts& facts);
