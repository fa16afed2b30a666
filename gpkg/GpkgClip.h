// What one clip puts into the fleet's GeoPackage: the file it was read from (its path,
// size and modification time, which say whether the file already holds it), its figures,
// and its seconds with a position.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "track/UtcTime.h"

struct GpkgSecond {
    int second = 0; // from the clip's start
    double latitude = 0.0;
    double longitude = 0.0;
    int64_t utc = kUnknownUtc;
    std::optional<int> speedKmh;
    std::optional<int> heading;
    // The G-sensor's axes in g, where the clip gave them for this second.
    std::optional<double> x;
    std::optional<double> y;
    std::optional<double> z;
};

// Whole seconds of a time in nanoseconds since 1970, rounded down also before 1970.
inline int64_t FloorSeconds(int64_t nanoseconds) {
    const int64_t seconds = nanoseconds / 1000000000;
    return nanoseconds % 1000000000 < 0 ? seconds - 1 : seconds;
}

struct GpkgClipKey {
    std::string path;
    int64_t size = 0;
    int64_t mtimeNs = 0; // nanoseconds since 1970 UTC

    bool operator==(const GpkgClipKey&) const = default;
};

struct GpkgClip {
    GpkgClipKey key;
    int64_t firstUtc = kUnknownUtc; // of second 0 and of the last second (TrackFigures)
    int64_t lastUtc = kUnknownUtc;
    double seconds = 0.0; // the clip's length (ClipSummary)
    double km = 0.0;
    int maxKmh = 0;
    std::vector<GpkgSecond> points;
};
