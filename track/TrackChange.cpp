#include "track/TrackChange.h"

#include "track/CMapTrackStore.h"

#include <cmath>
#include <optional>

namespace {

struct Entry {
    double latitude;
    double longitude;
    char fix;
};

std::optional<Entry> EntryAt(const CMapTrackStore& store, int second) {
    const auto at = static_cast<size_t>(second);
    if (second < 0 || at >= store.size()) {
        return std::nullopt;
    }
    return Entry{store.m_latitudes[at], store.m_longitudes[at], store.m_fixStatus[at]};
}

// NaN stands for "no position": two of them are the same place.
bool SamePlace(double a, double b) {
    return a == b || (std::isnan(a) && std::isnan(b));
}

} // namespace

TrackChange StoreMapTrackLine(CMapTrackStore& store, const char* line, int& stored) {
    TrackChange change{TrackChange::Kind::MapLine};
    const std::optional<int> second = line != nullptr ? TrackLineSecond(line) : std::nullopt;
    const std::optional<Entry> before = second ? EntryAt(store, *second) : std::nullopt;
    stored = store.StoreTrackLine(line);
    if (stored != 1 || !second) {
        return change;
    }
    change.second = *second;
    const std::optional<Entry> after = EntryAt(store, *second);
    change.moved = before && after &&
                   (!SamePlace(before->latitude, after->latitude) ||
                    !SamePlace(before->longitude, after->longitude) || before->fix != after->fix);
    return change;
}
