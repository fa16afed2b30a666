#include "map/DriveRoute.h"

#include "track/LoadedDrive.h"
#include "track/TrackFigures.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

int SpeedBand(int kmh) {
    return std::clamp(kmh / kSpeedBandWidthKmh, 0, kSpeedBandCount - 1);
}

DriveRoute BuildDriveRoute(const LoadedDrive& loaded) {
    DriveRoute route;
    // A clip without a fix breaks the line as much as a jump does.
    bool broken = true;
    const size_t clips = std::min(loaded.drive.clips.size(), loaded.tracks.size());
    for (size_t clip = 0; clip < clips; ++clip) {
        const ClipTrack* track = loaded.tracks[clip].get();
        const CMapTrackStore* store = track != nullptr ? &track->Map() : nullptr;
        bool anyFix = false;
        const int seconds = store != nullptr ? static_cast<int>(store->size()) : 0;
        for (int second = 0; second < seconds; ++second) {
            if (!store->HasPosition(second)) {
                continue;
            }
            DriveRoutePoint point;
            point.driveSecond = static_cast<int>(DriveSecondOf(loaded.drive, clip, second));
            point.latitude = store->m_latitudes[static_cast<size_t>(second)];
            point.longitude = store->m_longitudes[static_cast<size_t>(second)];
            const SpeedRecord* record = track->Dial().Find(second);
            point.band = record != nullptr ? SpeedBand(record->speed) : kUnknownSpeedBand;
            point.clip = clip;
            point.clipSecond = second;
            // Only the first fix of a clip can start a run: within a clip the camera's own
            // line is kept as the clip's map has always drawn it.
            point.startsRun =
                broken ||
                (!anyFix && 1000.0 * HaversineKm(route.back().latitude, route.back().longitude,
                                                 point.latitude, point.longitude) >
                                kDriveJoinMetres);
            route.push_back(point);
            anyFix = true;
            broken = false;
        }
        if (!anyFix) {
            broken = true;
        }
    }
    return route;
}

std::string DriveRouteJson(const DriveRoute& route) {
    std::string seconds, latitudes, longitudes, bands, runs;
    char buffer[32];
    for (size_t i = 0; i < route.size(); ++i) {
        const DriveRoutePoint& point = route[i];
        const char* comma = i > 0 ? "," : "";
        std::snprintf(buffer, sizeof buffer, "%s%d", comma, point.driveSecond);
        seconds += buffer;
        std::snprintf(buffer, sizeof buffer, "%s%.6f", comma, point.latitude);
        latitudes += buffer;
        std::snprintf(buffer, sizeof buffer, "%s%.6f", comma, point.longitude);
        longitudes += buffer;
        std::snprintf(buffer, sizeof buffer, "%s%d", comma, point.band);
        bands += buffer;
        if (point.startsRun) {
            std::snprintf(buffer, sizeof buffer, "%s%zu", runs.empty() ? "" : ",", i);
            runs += buffer;
        }
    }
    return "{\"s\":[" + seconds + "],\"la\":[" + latitudes + "],\"lo\":[" + longitudes +
           "],\"b\":[" + bands + "],\"r\":[" + runs + "]}";
}

int DriveRouteIndexAt(const DriveRoute& route, double driveSecond) {
    const auto after = std::upper_bound(
        route.begin(), route.end(), driveSecond,
        [](double second, const DriveRoutePoint& point) { return second < point.driveSecond; });
    return static_cast<int>(after - route.begin()) - 1;
}
