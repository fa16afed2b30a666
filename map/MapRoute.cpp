#include "map/MapRoute.h"

#include "track/CMapTrackStore.h"
#include "track/CSpeedDialModel.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>

std::string RouteJson(const CMapTrackStore& store, int first, int last) {
    std::string json = "[";
    char buffer[96];
    const auto end = std::min(store.size(), static_cast<size_t>(std::max(last, -1)) + 1);
    for (auto at = static_cast<size_t>(std::max(first, 0)); at < end; ++at) {
        const int second = static_cast<int>(at);
        if (!store.HasPosition(second)) {
            continue;
        }
        std::snprintf(buffer, sizeof buffer, "%s[%d,%.9f,%.9f]", json.size() > 1 ? "," : "", second,
                      store.m_latitudes[at], store.m_longitudes[at]);
        json += buffer;
    }
    return json + "]";
}

double BearingDegrees(double latitude1, double longitude1, double latitude2, double longitude2) {
    constexpr double kRadians = std::numbers::pi / 180.0;
    const double phi1 = latitude1 * kRadians;
    const double phi2 = latitude2 * kRadians;
    const double dLambda = (longitude2 - longitude1) * kRadians;
    const double y = std::sin(dLambda) * std::cos(phi2);
    const double x =
        std::cos(phi1) * std::sin(phi2) - std::sin(phi1) * std::cos(phi2) * std::cos(dLambda);
    const double degrees = std::atan2(y, x) / kRadians;
    return degrees < 0.0 ? degrees + 360.0 : degrees;
}

double HeadingAt(const CMapTrackStore& store, const CSpeedDialModel* dial, int second) {
    if (dial != nullptr) {
        if (const SpeedRecord* record = dial->Find(second)) {
            return record->heading;
        }
    }
    if (!store.HasPosition(second)) {
        return 0.0;
    }
    const auto at = static_cast<size_t>(second);
    for (int earlier = second - 1; earlier >= 0; --earlier) {
        const auto before = static_cast<size_t>(earlier);
        if (!store.HasPosition(earlier) || (store.m_latitudes[before] == store.m_latitudes[at] &&
                                            store.m_longitudes[before] == store.m_longitudes[at])) {
            continue;
        }
        return BearingDegrees(store.m_latitudes[before], store.m_longitudes[before],
                              store.m_latitudes[at], store.m_longitudes[at]);
    }
    return 0.0;
}
