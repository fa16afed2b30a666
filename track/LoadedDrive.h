// A drive with its clips' tracks loaded, as the player shows it: the drive's clips on one
// axis (DriveAxis), each main clip's track for the route and the speeds of the whole drive,
// and its events on the drive's axis. Made off the interface thread and then only read, so
// the panes can share one without locks.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "track/ClipTrack.h"
#include "track/DriveAxis.h"
#include "track/DriveGrouping.h"

struct LoadedDrive {
    Drive drive;
    // Beside drive.clips: each main clip's track.
    std::vector<std::shared_ptr<const ClipTrack>> tracks;
    std::vector<DriveEvent> events;

    // Where the main clip at `path` stands in the drive; nothing when it is not one of them.
    std::optional<size_t> ClipIndex(const std::string& path) const;
};

// Loads the track of every clip (several at once), sums each up and groups them into
// drives, in the order of their time.
std::vector<std::shared_ptr<const LoadedDrive>>
LoadDrives(const std::vector<std::string>& clipPaths, int64_t maxGapSeconds = kDriveGapSeconds);
