// When a clip was recorded and how long it runs, from its movie header (`moov/mvhd`): the
// creation time, which the format counts in UTC seconds from 1904, and the duration. Logs
// that cover hours of driving are matched to a clip by these.
#pragma once

#include <cstdint>
#include <optional>

#include "track/ByteSource.h"

struct ClipTime {
    int64_t startUnix = 0; // seconds since 1970-01-01T00:00:00Z
    double durationSeconds = 0.0;
};

// Seconds from 1904-01-01 to 1970-01-01, both UTC.
constexpr int64_t kMp4EpochToUnix = 2'082'844'800;

// Nothing when the clip has no movie header, or one without a creation time (0) or
// without a time scale.
std::optional<ClipTime> ReadClipTime(ByteSource& source);

// The movie header's duration in seconds, whatever its creation time (many cameras leave
// that 0); nothing when there is no header, no time scale or no known duration.
std::optional<double> ReadClipDuration(ByteSource& source);

// Seconds a track may run past the end of its clip's movie: a camera starts its log a
// little before the video, and a stamp or a time rounds to the next second.
constexpr int kTrackSecondsPastClip = 5;

// The last second a store may hold for the clip: its movie header's duration, rounded up,
// plus kTrackSecondsPastClip. kMaxTrackSecond when the duration is unknown (no header, no
// time scale, a duration of 0 or all ones), so one stamp far past the end cannot stretch
// every store to it.
int LastTrackSecond(ByteSource& source);
