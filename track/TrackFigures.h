// What a clip's track says of the drive it belongs to: the UTC seconds it spans, how far
// the car went and how fast. A drive adds these up over its clips.
#pragma once

#include <cstdint>

#include "track/UtcTime.h"

class CMapTrackStore;
class CSpeedDialModel;

// Faster than this between two fixes is a receiver's jump, not a car.
constexpr double kMaxPlausibleKmh = 250.0;

// The mean radius the distance takes the earth to have.
constexpr double kEarthRadiusKm = 6371.0;

// Great-circle distance between two positions in decimal degrees (the haversine formula).
double HaversineKm(double latitude1, double longitude1, double latitude2, double longitude2);

struct TrackFigures {
    // UTC of the track's second 0, worked out from its first dated fix, and of the last
    // second the track holds; kUnknownUtc for both when no fix is dated.
    int64_t firstUtc = kUnknownUtc;
    int64_t lastUtc = kUnknownUtc;
    // Along consecutive fixes, leaving out each step faster than kMaxPlausibleKmh.
    double km = 0.0;
    // The highest whole km/h of a second with a fix; above kMaxPlausibleKmh is a fault.
    int maxKmh = 0;
};

TrackFigures MeasureTrack(const CMapTrackStore& map, const CSpeedDialModel& dial);
