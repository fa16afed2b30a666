#include "gpkg/StoredDrives.h"

#include "gpkg/GpkgClip.h"

#include "track/ChannelFolder.h"
#include "track/DriveGrouping.h"

namespace {

// The drive's start or end as the drive list prints it: UTC with Z, the camera's clock
// (a local time of no known zone) without, nothing when neither is known.
std::string DriveTime(const Drive& drive, int64_t seconds) {
    std::string text = drive.clock == DriveClock::None ? std::string() : UtcText(seconds);
    if (drive.clock == DriveClock::Camera) {
        text.pop_back();
    }
    return text;
}

} // namespace

ClipSummary StoredClipSummary(std::string path, int64_t mtimeNs, double lengthSeconds, double km,
                              int maxKmh, int64_t firstUtc, int64_t lastUtc) {
    ClipSummary summary;
    summary.name = ReadClipName(path);
    summary.path = std::move(path);
    summary.fileTime = FloorSeconds(mtimeNs);
    summary.seconds = lengthSeconds;
    summary.km = km;
    summary.maxKmh = maxKmh;
    summary.firstUtc = firstUtc;
    summary.lastUtc = lastUtc;
    return summary;
}

std::vector<StoredDrive> StoredDrives(std::vector<ClipSummary> clips,
                                      const std::map<std::string, std::vector<LonLat>>& routes) {
    std::vector<StoredDrive> drives;
    for (const Drive& drive : GroupDrives(std::move(clips))) {
        if (drive.clips.size() < 2) {
            continue;
        }
        StoredDrive stored;
        for (const DriveClip& clip : drive.clips) {
            if (const auto route = routes.find(clip.main.path); route != routes.end()) {
                stored.route.insert(stored.route.end(), route->second.begin(), route->second.end());
            }
            stored.files += 1 + static_cast<int64_t>(clip.beside.size());
        }
        stored.firstClip = drive.clips.front().main.path;
        stored.lastClip = drive.clips.back().main.path;
        stored.start = DriveTime(drive, drive.start);
        stored.end = DriveTime(drive, drive.end);
        stored.seconds = drive.seconds;
        stored.km = drive.km;
        stored.maxKmh = drive.maxKmh;
        drives.push_back(std::move(stored));
    }
    return drives;
}
