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
