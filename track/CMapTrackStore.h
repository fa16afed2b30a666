// The map view's track store: one position and fix status per second of the clip, filled
// from track lines, from an NMEA log and from the clip's embedded blocks, and read once
// per playback tick to decide where the marker goes.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "track/TrackLine.h"
#include "track/UtcTime.h"

class CSpeedDialModel;

// km/h for one knot: NMEA gives speed over ground in knots, the dial keeps km/h.
constexpr double kKilometresPerKnot = 1.852;

// The whole km/h the dial shows for a speed in knots. Receivers round knots to their last
// decimal, so the product can fall a hair below a whole km/h that the camera measured (20
// km/h is written 10.799 kn, which is 19.9997 km/h); rounding to 0.01 km/h before the
// truncation keeps it whole, so both sources of a clip show the same number.
int DialSpeedFromKnots(double knots);

// The four texts handed to the page's SetMarker: latitude, longitude, latitude, longitude.
using MarkerTexts = std::array<std::string, 4>;

class CMapTrackStore {
public:
    // Empties the store and forgets the last marker.
    void Clear();

    // Places the RMC position of a track line at the line's second, replacing what was
    // there and filling skipped seconds with entries without fix, and hands the second,
    // speed and course to the dial. 1 when an entry was stored, 0 for a line without a
    // time field or without a sentence, for a line whose sentence is not complete, and for
    // a line whose checked sentence is not an RMC at a second the store already holds (it
    // leaves that entry and speed alone).
    int StoreTrackLine(const char* line);

    // Refills the store from an NMEA log. Each RMC sentence goes to the second of its own
    // time, counted from the first sentence with a time (RMC or GGA), so a damaged, missing
    // or repeated sentence moves no other second. A log saved as UTF-16 with a byte-order
    // mark is read as its text (LogText). True when an entry has a valid fix.
    bool LoadNmeaLog(const std::string& path);
    // The same for a log's bytes already read.
    bool LoadNmeaText(const std::string& bytes);

    // Sets the entry of one second, filling skipped seconds with entries without fix.
    void PutEntry(int second, double latitude, double longitude, char fix,
                  int64_t utcTime = kUnknownUtc);

    // True when the entry of the second is a valid fix at a real position: the seconds
    // the map puts its marker at and the exports list.
    bool HasPosition(int second) const;

    // The marker texts for a second that HasPosition, and that second becomes the last
    // shown; nothing for any other second.
    std::optional<MarkerTexts> ShowSecond(int second);

    // Where StoreTrackLine sends each line's speed and course; none by default.
    void SetSpeedDial(CSpeedDialModel* dial) { m_pDial = dial; }

    size_t size() const { return m_fixStatus.size(); }

    // The last second the store takes, kMaxTrackSecond until a clip's loader sets the
    // clip's own; later seconds are damage and are dropped. Clear keeps it.
    void SetLastSecond(int second) { m_nLastSecond = second; }
    int LastSecond() const { return m_nLastSecond; }

    std::vector<double> m_latitudes;
    std::vector<double> m_longitudes;
    std::vector<char> m_fixStatus;
    // The UTC date and time the source gave for each entry, kUnknownUtc where it gave none.
    std::vector<int64_t> m_utcTimes;
    int m_nLastShown = -1;

private:
    CSpeedDialModel* m_pDial = nullptr;
    int m_nLastSecond = kMaxTrackSecond;
};
