#include "GpkgBatch.h"

#include "ClipSearch.h"
#include "StoreFill.h"

#include "gpkg/TrackGeoPackage.h"

#include <iostream>

namespace {

bool Regroup(TrackGeoPackage& file, const std::string& out) {
    std::string why;
    if (!file.RegroupDrives(why)) {
        std::cerr << "ostvik-track: cannot group the drives of " << out << ": " << why << "\n";
        return false;
    }
    return true;
}

} // namespace

int RunGpkgBatch(const GpkgBatchOptions& options) {
    StoreFillCounts counts;
    const std::vector<std::string> clips = FindClips(options.paths, counts.failures);
    if (clips.empty()) {
        std::cerr << "ostvik-track: no clips found\n";
        return 1;
    }
    TrackGeoPackage file;
    std::string why;
    if (!file.Open(options.out, why)) {
        std::cerr << "ostvik-track: cannot open " << options.out << ": " << why << "\n";
        return 1;
    }
    if (!FillStore(file, clips, options.batch, counts) || !Regroup(file, options.out)) {
        return 1;
    }
    std::cerr << "ostvik-track: " << options.out << ": " << counts.added << " clips added, "
              << counts.held << " already held\n";
    return counts.failures == 0 ? 0 : 1;
}

int RunGpkgMerge(const std::string& out, const std::vector<std::string>& parts, size_t batch) {
    TrackGeoPackage file;
    std::string why;
    if (!file.Open(out, why)) {
        std::cerr << "ostvik-track: cannot open " << out << ": " << why << "\n";
        return 1;
    }
    size_t failures = 0;
    for (const std::string& part : parts) {
        size_t added = 0;
        if (!file.Merge(part, batch, added, why)) {
            std::cerr << "ostvik-track: cannot merge " << part << ": " << why << "\n";
            ++failures;
        }
    }
    if (!Regroup(file, out)) {
        return 1;
    }
    return failures == 0 ? 0 : 1;
}
