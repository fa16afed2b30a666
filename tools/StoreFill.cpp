#include "StoreFill.h"

#include "ClipTrackExport.h"
#include "EveryCore.h"

#include "track/CGSampleStore.h"
#include "track/CMapTrackStore.h"
#include "track/CSpeedDialModel.h"
#include "track/ClipSummary.h"

#include <algorithm>
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

struct Pending {
    GpkgClipKey key;
    std::optional<GpkgClip> clip;
};

// Reads the batch on every core, then writes what was read in one transaction.
bool AddBatch(ClipStore& file, std::vector<Pending>& batch, StoreFillCounts& counts) {
    std::mutex errorLock;
    RunOnEveryCore(batch.size(), [&](size_t i) {
        ClipTrackExport read;
        std::string why;
        if (!read.Read(batch[i].key.path, why)) {
            const std::lock_guard<std::mutex> lock(errorLock);
            std::cerr << "ostvik-track: cannot read " << batch[i].key.path << ": " << why << "\n";
            ++counts.failures;
            return;
        }
        batch[i].clip = ClipOf(batch[i].key, read);
    });
    std::string why;
    if (!file.Begin(why)) {
        std::cerr << "ostvik-track: cannot write: " << why << "\n";
        return false;
    }
    size_t added = 0;
    size_t held = 0;
    for (const Pending& pending : batch) {
        bool heldMeanwhile = false;
        if (pending.clip && !file.Add(*pending.clip, heldMeanwhile, why)) {
            std::cerr << "ostvik-track: cannot add " << pending.key.path << ": " << why << "\n";
            file.Rollback();
            return false;
        }
        held += heldMeanwhile ? 1 : 0;
        added += pending.clip && !heldMeanwhile ? 1 : 0;
    }
    if (!file.Commit(why)) {
        std::cerr << "ostvik-track: cannot write: " << why << "\n";
        file.Rollback();
        return false;
    }
    counts.added += added;
    counts.held += held;
    return true;
}

} // namespace

bool FillStore(ClipStore& store, const std::vector<std::string>& clips, size_t batch,
               StoreFillCounts& counts) {
    std::vector<Pending> pending;
    for (const std::string& path : clips) {
        const std::optional<GpkgClipKey> key = KeyOf(path);
        if (key && store.Has(*key)) {
            ++counts.held;
        } else {
            // A clip that cannot be looked at still goes to the reading, to fail there.
            pending.push_back({key.value_or(GpkgClipKey{path, 0, 0}), std::nullopt});
        }
    }
    // Path order within every transaction is what the store needs of its writers (ClipStore),
    // whatever order the caller found the clips in.
    std::sort(pending.begin(), pending.end(),
              [](const Pending& a, const Pending& b) { return a.key.path < b.key.path; });
    for (size_t first = 0; first < pending.size(); first += batch) {
        const size_t end = std::min(pending.size(), first + batch);
        std::vector<Pending> part(pending.begin() + static_cast<std::ptrdiff_t>(first),
                                  pending.begin() + static_cast<std::ptrdiff_t>(end));
        if (!AddBatch(store, part, counts)) {
            return false;
        }
    }
    return true;
}
