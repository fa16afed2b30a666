// The tables of the fleet's GeoPackage: the three the GeoPackage standard requires, filled
// as it says, and our three feature layers with their columns.
#pragma once

#include "gpkg/SqliteDb.h"

#include <string>

// 'GPKG' read as a big-endian 32-bit number, and version 1.3.0 as 10300.
constexpr int kGpkgApplicationId = 0x47504B47;
constexpr int kGpkgUserVersion = 10300;
constexpr int kGpkgWgs84 = 4326;

// The columns of the clips and seconds layers after their fid and geom, in the order the
// merge copies them.
constexpr const char* kClipColumns = "path, size, mtime, mtime_ns, start_utc, end_utc, km, "
                                     "length_s, max_kmh, first_utc_s, last_utc_s";
constexpr const char* kSecondColumns = "path, second, utc, speed_kmh, heading, x_g, y_g, z_g";

// Makes every table in an empty database, in one transaction.
bool CreateGpkgSchema(SqliteDb& db, std::string& why);

// True when the database attached as `schema` ("main" for the file itself) is a GeoPackage
// with our layers; else false with the reason in `why`.
bool IsTrackGpkg(SqliteDb& db, const std::string& schema, std::string& why);
