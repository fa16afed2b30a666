#include "GpkgBatch.h"

#include "ClipSearch.h"
#include "ClipTrackExport.h"
#include "EveryCore.h"

#include "gpkg/TrackGeoPackage.h"
#include "track/CGSampleStore.h"
#include "track/CMapTrackStore.h"
#include "track/CSpeedDialModel.h"
#include "track/ClipSummary.h"

#include <csignal>
#include <cstdlib>
#include <iostream>
#include <mutex>
#include <optional>
#include <sys/stat.h>

namespace {

std::optional<GpkgClipKey> KeyOf(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return std::nullopt;
    }
    return GpkgClipKey{path, static_cast<int64_t>(info.st_size),
                       static_cast<int64_t>(info.st_mtim.tv_sec) * 1000000000 +
                           info.st_mtim.tv_nsec};
}

GpkgClip ClipOf(const GpkgClipKey& key, const ClipTrackExport& read) {
    const ClipSummary summary = SummariseClip(key.path, read.Track());
    GpkgClip clip{
        key, summary.firstUtc, summary.lastUtc, summary.seconds, summary.km, summary.maxKmh, {}};
    const TrackStores& stores = read.Stores();
    for (size_t at = 0; at < stores.map.size(); ++at) {
        const int second = static_cast<int>(at);
        if (!stores.map.HasPosition(second)) {
            continue;
        }
        GpkgSecond point;
        point.second = second;
        point.latitude = stores.map.m_latitudes[at];
        point.longitude = stores.map.m_longitudes[at];
        point.utc = stores.map.m_utcTimes[at];
        if (const SpeedRecord* record = stores.dial.Find(second)) {
            point.speedKmh = record->speed;
            point.heading = record->heading;
        }
        if (at < stores.chart.m_samples.size()) {
            point.x = stores.chart.m_samples[at].x;
            point.y = stores.chart.m_samples[at].y;
            point.z = stores.chart.m_samples[at].z;
        }
        clip.points.push_back(point);
    }
    return clip;
}

size_t KillAfterBatches() {
    const char* value = std::getenv(kGpkgKillAfterBatchesVariable);
    return value != nullptr ? static_cast<size_t>(std::strtoull(value, nullptr, 10)) : 0;
}

struct Pending {
    GpkgClipKey key;
    std::optional<GpkgClip> clip;
};

// Reads the batch on every core, then writes what was read in one transaction.
bool AddBatch(TrackGeoPackage& file, std::vector<Pending>& batch, size_t& added, size_t& failures) {
    std::mutex errorLock;
    RunOnEveryCore(batch.size(), [&](size_t i) {
        ClipTrackExport read;
        std::string why;
        if (!read.Read(batch[i].key.path, why)) {
            const std::lock_guard<std::mutex> lock(errorLock);
            std::cerr << "ostvik-track: cannot read " << batch[i].key.path << ": " << why << "\n";
            ++failures;
            return;
        }
        batch[i].clip = ClipOf(batch[i].key, read);
    });
    std::string why;
    if (!file.Begin(why)) {
        std::cerr << "ostvik-track: cannot write: " << why << "\n";
        return false;
    }
    for (const Pending& pending : batch) {
        if (pending.clip && !file.Add(*pending.clip, why)) {
            std::cerr << "ostvik-track: cannot add " << pending.key.path << ": " << why << "\n";
            file.Rollback();
            return false;
        }
    }
    if (!file.Commit(why)) {
        std::cerr << "ostvik-track: cannot write: " << why << "\n";
        file.Rollback();
        return false;
    }
    for (const Pending& pending : batch) {
        added += pending.clip ? 1 : 0;
    }
    return true;
}

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
    size_t failures = 0;
    const std::vector<std::string> clips = FindClips(options.paths, failures);
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
    std::vector<Pending> pending;
    size_t held = 0;
    for (const std::string& path : clips) {
        const std::optional<GpkgClipKey> key = KeyOf(path);
        if (key && file.Has(*key)) {
            ++held;
        } else {
            // A clip that cannot be looked at still goes to the reading, to fail there.
            pending.push_back({key.value_or(GpkgClipKey{path, 0, 0}), std::nullopt});
        }
    }
    const size_t killAfter = KillAfterBatches();
    size_t batches = 0;
    size_t added = 0;
    for (size_t first = 0; first < pending.size(); first += options.batch) {
        const size_t end = std::min(pending.size(), first + options.batch);
        std::vector<Pending> batch(pending.begin() + static_cast<std::ptrdiff_t>(first),
                                   pending.begin() + static_cast<std::ptrdiff_t>(end));
        if (!AddBatch(file, batch, added, failures)) {
            return 1;
        }
        if (++batches == killAfter) {
            std::raise(SIGKILL);
        }
    }
    if (!Regroup(file, options.out)) {
        return 1;
    }
    std::cerr << "ostvik-track: " << options.out << ": " << added << " clips added, " << held
              << " already held\n";
    return failures == 0 ? 0 : 1;
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
