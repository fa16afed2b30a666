// What grouping clips into drives needs to know of one clip, gathered once so that a card
// of clips is read once and grouped from these alone: the clip's track figures, its
// length, when the file was last written, and what its name and folder say.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "track/CameraFileName.h"
#include "track/DrivingEvents.h"
#include "track/UtcTime.h"

class ClipTrack;

struct ClipSummary {
    std::string path;
    // UTC of the track's second 0 and of its last second (TrackFigures); kUnknownUtc when
    // the clip has no dated fix.
    int64_t firstUtc = kUnknownUtc;
    int64_t lastUtc = kUnknownUtc;
    // The clip's length: its movie header's duration, else the seconds its track holds;
    // 0 when neither is known.
    double seconds = 0.0;
    // The file's modification time, seconds since 1970 UTC; kUnknownUtc when not known.
    int64_t fileTime = kUnknownUtc;
    double km = 0.0;
    int maxKmh = 0;
    std::optional<CameraFileName> name;
    // Kept by the camera as an event (CameraLockedClip).
    bool locked = false;
    // Its driving events (DetectClipEvents), a locked clip's own one included.
    std::vector<DrivingEvent> events;

    bool HasTrack() const { return firstUtc != kUnknownUtc; }
};

// The summary of the clip at `path` whose track is `track`; the file is opened only for its
// movie header and its modification time, and a clip that cannot be read is summarised from
// its name and track alone.
ClipSummary SummariseClip(const std::string& path, const ClipTrack& track);
