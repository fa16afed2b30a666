// Where and when a snapshot's frame was recorded, as the clip's track holds it: the UTC
// time and the position and speed of the frame's second. What the track does not know stays
// empty, so a snapshot never claims a place or time it was not given.
#pragma once

#include "track/TrackStores.h"
#include "track/UtcTime.h"

#include <cstdint>
#include <optional>

struct SnapshotFacts {
    int64_t utc = kUnknownUtc;
    std::optional<double> latitude;
    std::optional<double> longitude;
    std::optional<int> speedKmh;
};

// The facts of the whole second `offset` falls in (truncated: the frame at 1.9 s belongs to
// second 1, as the tick shows it). The time counts from the clip's first dated fix, so a
// second without a fix of its own still gets its time.
SnapshotFacts SnapshotFactsAt(const TrackStores& stores, double offset);
