// The drives of the clips a fleet store holds (a GeoPackage or a PostGIS database), grouped
// from the columns the store keeps of each clip as `--drives` groups clips read from files,
// each drive with its route and the figures of its row in the drives layer.
#pragma once

#include "gpkg/GpkgGeometry.h"

#include "track/ClipSummary.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

// A clip as the store's clips layer keeps it; `firstUtc` and `lastUtc` are kUnknownUtc
// where the columns are empty.
ClipSummary StoredClipSummary(std::string path, int64_t mtimeNs, double lengthSeconds, double km,
                              int maxKmh, int64_t firstUtc, int64_t lastUtc);

struct StoredDrive {
    std::vector<LonLat> route; // its clips' positions in order
    std::string firstClip;
    std::string lastClip;
    int64_t files = 0; // main clips and the other cameras' clips beside them
    std::string start; // UTC with Z, the camera's clock without, empty when neither is known
    std::string end;
    int64_t seconds = 0;
    double km = 0.0;
    int maxKmh = 0;
};

// The drives of two or more clips; `routes` holds each clip's positions by its path.
std::vector<StoredDrive> StoredDrives(std::vector<ClipSummary> clips,
                                      const std::map<std::string, std::vector<LonLat>>& routes);
