// What one source of a clip's track gave when the clip was loaded: a fix, lines, or nothing
// and why (missing, refused, no valid fix). The loader keeps one per source it tried, so a
// track that is not on the map can be explained without the stores knowing any of it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

struct TrackSourceOutcome {
    std::string source; // "embedded", "sidecar log", "BlackVue logs", "NMEA log", ...
    std::string path;
    bool gave = false;                 // a valid fix, or for the sidecar's lines at least one line
    std::string why;                   // when it gave nothing
    std::string family;                // the camera family whose reader found data, when one did
    std::optional<uint64_t> damagedAt; // where the reader met damage, when it did
};
