// The geometry blobs of a GeoPackage feature table: the GeoPackage binary header (magic
// "GP", version 0, flags, SRS id, an envelope for lines) followed by the geometry as
// well-known binary, all little-endian. Coordinates are x longitude, y latitude, as
// EPSG:4326 takes them in a GeoPackage.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

struct LonLat {
    double lon = 0.0;
    double lat = 0.0;
};

// A Point.
std::vector<uint8_t> GpkgPoint(const LonLat& point, int32_t srsId);

// A LineString with its envelope; empty (to be stored as NULL) for fewer than two points,
// which make no line.
std::vector<uint8_t> GpkgLine(const std::vector<LonLat>& points, int32_t srsId);

// The same line as bare well-known binary, without the GeoPackage header, as PostGIS takes
// it; empty for fewer than two points.
std::vector<uint8_t> WkbLine(const std::vector<LonLat>& points);

// The point of a blob GpkgPoint wrote, whatever envelope and byte order a GIS tool that
// edited the file may have left; nothing for any other geometry or a damaged blob.
std::optional<LonLat> ReadGpkgPoint(const std::vector<uint8_t>& blob);
