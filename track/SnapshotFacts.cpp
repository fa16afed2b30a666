#include "track/SnapshotFacts.h"

#include "track/CMapTrackStore.h"
#include "track/CSpeedDialModel.h"
#include "track/TrackExport.h"

SnapshotFacts SnapshotFactsAt(const TrackStores& stores, double offset) {
    SnapshotFacts facts;
    if (!(offset >= 0) || offset > kMaxTrackSecond) {
        return facts;
    }
    const int second = static_cast<int>(offset);
    const int64_t start = ClipStartUtc(stores);
    if (start != kUnknownUtc) {
        facts.utc = start + second;
    }
    if (stores.map.HasPosition(second)) {
        facts.latitude = stores.map.m_latitudes[static_cast<size_t>(second)];
        facts.longitude = stores.map.m_longitudes[static_cast<size_t>(second)];
    }
    if (const SpeedRecord* record = stores.dial.Find(second)) {
        facts.speedKmh = record->speed;
    }
    return facts;
}
