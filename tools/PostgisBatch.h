// The track tool's PostGIS runs: clips named or found in folders written into one PostGIS
// database (TrackPostgis) as the GeoPackage run writes its file, by any number of workers
// at once; and the drives of all the database's clips joined once they are done.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// Exit status: 0 when every clip was written or already held, 1 when any clip or folder
// failed (each one line on standard error; the others still go in), no clip was found, or
// the database could not be reached or written. Drives are not grouped: the clips of one
// drive may be with other workers.
int RunPostgisBatch(const std::string& conninfo, const std::vector<std::string>& paths,
                    size_t batch);

// Replaces the drives layer with the drives of every clip the database holds. Exit status 0
// when done, 1 (one line on standard error) when not.
int RunPostgisDrives(const std::string& conninfo);
