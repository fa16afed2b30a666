// When a clip was recorded, in local time, for the window's title band: the track's UTC
// time when the track gave a date, else the date and time a camera writes into its file
// names (on the camera's clock, which is set to local time), else the file's modification
// time.
#pragma once

#include <QDateTime>
#include <QString>

#include <cstdint>

class RecordingTime {
public:
    // The date and time in a camera's file name, by every pattern track/CameraFileName
    // reads (2024_1001_160000_F.MP4, 20241001_160000_NF.mp4, FILE241001-160000F.MP4,
    // NO20241001-160000-000123F.MP4, REC_2024_10_01_16_00_00_F.MP4, ...). Invalid when the
    // name has none or names a day or time that does not exist.
    static QDateTime FromFileName(const QString& fileName);

    // `trackStartUtc` is the UTC time of the clip's second 0 in seconds since 1970, or
    // kUnknownUtc.
    static QDateTime Of(const QString& path, int64_t trackStartUtc);

    // "<file name>  <yyyy-MM-dd HH:mm:ss>", or the file name alone when no time is known.
    static QString TitleText(const QString& path, int64_t trackStartUtc);
};
