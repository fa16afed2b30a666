#include "track/LoadedDrive.h"

#include <algorithm>
#include <atomic>
#include <map>
#include <thread>

std::optional<size_t> LoadedDrive::ClipIndex(const std::string& path) const {
    for (size_t i = 0; i < drive.clips.size(); ++i) {
        if (drive.clips[i].main.path == path) {
            return i;
        }
    }
    return std::nullopt;
}

std::vector<std::shared_ptr<const LoadedDrive>>
LoadDrives(const std::vector<std::string>& clipPaths, int64_t maxGapSeconds) {
    std::vector<std::shared_ptr<ClipTrack>> tracks(clipPaths.size());
    std::vector<ClipSummary> summaries(clipPaths.size());
    std::atomic<size_t> next{0};
    const auto work = [&] {
        for (size_t i = next++; i < clipPaths.size(); i = next++) {
            tracks[i] = std::make_shared<ClipTrack>();
            tracks[i]->Load(clipPaths[i]);
            summaries[i] = SummariseClip(clipPaths[i], *tracks[i]);
        }
    };
    const size_t threads =
        std::min<size_t>(std::max(1u, std::thread::hardware_concurrency()), clipPaths.size());
    std::vector<std::thread> workers;
    for (size_t t = 1; t < threads; ++t) {
        workers.emplace_back(work);
    }
    work();
    for (std::thread& worker : workers) {
        worker.join();
    }

    std::map<std::string, std::shared_ptr<const ClipTrack>> byPath;
    for (size_t i = 0; i < clipPaths.size(); ++i) {
        byPath.emplace(clipPaths[i], tracks[i]);
    }
    std::vector<std::shared_ptr<const LoadedDrive>> loaded;
    for (Drive& drive : GroupDrives(std::move(summaries), maxGapSeconds)) {
        auto one = std::make_shared<LoadedDrive>();
        for (const DriveClip& clip : drive.clips) {
            one->tracks.push_back(byPath[clip.main.path]);
        }
        one->events = EventsOfDrive(drive);
        one->drive = std::move(drive);
        loaded.push_back(std::move(one));
    }
    return loaded;
}
