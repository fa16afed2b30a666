#include "PostgisBatch.h"

#include "ClipSearch.h"
#include "StoreFill.h"

#include "gpkg/TrackPostgis.h"

#include <iostream>

namespace {

// The database as messages name it: never the connection string, which may hold a password
// however much the README asks for ~/.pgpass.
constexpr const char* kDatabase = "the database";

} // namespace

int RunPostgisBatch(const std::string& conninfo, const std::vector<std::string>& paths,
                    size_t batch) {
    StoreFillCounts counts;
    const std::vector<std::string> clips = FindClips(paths, counts.failures);
    if (clips.empty()) {
        std::cerr << "ostvik-track: no clips found\n";
        return 1;
    }
    TrackPostgis database;
    std::string why;
    if (!database.Open(conninfo, why)) {
        std::cerr << "ostvik-track: cannot open " << kDatabase << ": " << why << "\n";
        return 1;
    }
    if (!FillStore(database, clips, batch, counts)) {
        return 1;
    }
    std::cerr << "ostvik-track: " << kDatabase << ": " << counts.added << " clips added, "
              << counts.held << " already held\n";
    return counts.failures == 0 ? 0 : 1;
}

int RunPostgisDrives(const std::string& conninfo) {
    TrackPostgis database;
    std::string why;
    if (!database.Open(conninfo, why)) {
        std::cerr << "ostvik-track: cannot open " << kDatabase << ": " << why << "\n";
        return 1;
    }
    if (!database.RegroupDrives(why)) {
        std::cerr << "ostvik-track: cannot group the drives of " << kDatabase << ": " << why
                  << "\n";
        return 1;
    }
    return 0;
}
