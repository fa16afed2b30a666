// Groups a card's clips into drives. A camera cuts a drive into clips of one to five
// minutes; a person thinks of the drive. Clips are put in the order they were recorded
// (by the time in their names, else their tracks' UTC, else their file times), and each
// joins the one before it when the time between them is at most the gap allowed:
//   - both have a dated track: the later's first UTC second after the earlier's last;
//   - else both have a camera file name: the later's name time after the earlier's name
//     time plus its length;
//   - else both have a file time (written when the clip was closed): the later's file time
//     less its length after the earlier's file time;
//   - else nothing says they join, and the later starts a drive of its own.
// Clips of one moment from other cameras of the set (rear, interior: the channel in their
// names or, where a name has none, their channel folders; name times at most
// kChannelSkewSeconds apart) stand beside the main camera's clip rather than in the
// sequence; one with no main clip of its moment takes a place of its own.
#pragma once

#include <cstdint>
#include <vector>

#include "track/ClipSummary.h"

// More than this between two clips and the car stood long enough to make two drives.
constexpr int64_t kDriveGapSeconds = 60;

// Cameras of one set open their clips of a moment within this of each other.
constexpr int64_t kChannelSkewSeconds = 2;

struct DriveClip {
    ClipSummary main;                // the front camera's clip, or the one clip of its moment
    std::vector<ClipSummary> beside; // the other cameras' clips of the same moment
    // Where its second 0 falls on the drive's time axis, in seconds from the drive's start:
    // by its time in the drive's clock, else right after the clip before it.
    int64_t at = 0;
};

// What a drive's start and end are counted in.
enum class DriveClock {
    Utc,    // its tracks' UTC
    Camera, // its names' camera time (no track had a dated fix)
    None,   // neither: only its file times ordered it, and those say no time of recording
};

struct Drive {
    std::vector<DriveClip> clips;
    DriveClock clock = DriveClock::None;
    int64_t start = 0; // seconds since 1970 in `clock`; 0 for DriveClock::None
    int64_t end = 0;
    int64_t seconds = 0; // end less start; for DriveClock::None, the clips' lengths added
    double km = 0.0;     // the main clips' distances added
    int maxKmh = 0;
    int events = 0; // the main clips' driving events added
};

std::vector<Drive> GroupDrives(std::vector<ClipSummary> clips,
                               int64_t maxGapSeconds = kDriveGapSeconds);
