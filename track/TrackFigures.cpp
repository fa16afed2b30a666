#include "track/TrackFigures.h"

#include "track/CMapTrackStore.h"
#include "track/CSpeedDialModel.h"

#include <algorithm>
#include <cmath>
#include <numbers>

double HaversineKm(double latitude1, double longitude1, double latitude2, double longitude2) {
    constexpr double kRadian = std::numbers::pi / 180.0;
    const double phi1 = latitude1 * kRadian;
    const double phi2 = latitude2 * kRadian;
    const double sinHalfPhi = std::sin((phi2 - phi1) / 2);
    const double sinHalfLambda = std::sin((longitude2 - longitude1) * kRadian / 2);
    const double h =
        sinHalfPhi * sinHalfPhi + std::cos(phi1) * std::cos(phi2) * sinHalfLambda * sinHalfLambda;
    return 2 * kEarthRadiusKm * std::asin(std::sqrt(std::min(1.0, h)));
}

TrackFigures MeasureTrack(const CMapTrackStore& map, const CSpeedDialModel& dial) {
    TrackFigures figures;
    int previous = -1;
    for (int second = 0; second < static_cast<int>(map.size()); ++second) {
        if (!map.HasPosition(second)) {
            continue;
        }
        if (figures.firstUtc == kUnknownUtc &&
            static_cast<size_t>(second) < map.m_utcTimes.size() &&
            map.m_utcTimes[second] != kUnknownUtc) {
            figures.firstUtc = map.m_utcTimes[second] - second;
        }
        if (previous >= 0) {
            const double km = HaversineKm(map.m_latitudes[previous], map.m_longitudes[previous],
                                          map.m_latitudes[second], map.m_longitudes[second]);
            const double hours = (second - previous) / 3600.0;
            if (km / hours <= kMaxPlausibleKmh) {
                figures.km += km;
            }
        }
        previous = second;
        const SpeedRecord* record = dial.Find(second);
        if (record && record->speed <= kMaxPlausibleKmh) {
            figures.maxKmh = std::max(figures.maxKmh, record->speed);
        }
    }
    if (figures.firstUtc != kUnknownUtc) {
        figures.lastUtc = figures.firstUtc + static_cast<int64_t>(map.size()) - 1;
    }
    return figures;
}
