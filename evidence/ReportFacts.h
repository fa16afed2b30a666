// What an evidence report states about an excerpt, gathered once from the clips' tracks:
// each second it shows with its time, place, speed and the G-sensor's reading along the car,
// the driving events inside it, and the moment the report is about (the strongest event, or
// else the hardest braking). The PDF, its charts and map, and the manifest all read this one
// record, so they cannot disagree.
#pragma once

#include "evidence/ExcerptSeconds.h"
#include "track/DrivingEvents.h"

#include <optional>
#include <string>
#include <vector>

class ClipTrack;

struct ReportSecond {
    ExcerptSecond track;
    std::optional<double> alongG; // minus the clip's rest; positive while speeding up
};

struct ReportEvent {
    double at = 0; // on the excerpt's clock
    int64_t utc = 0;
    DrivingEventKind kind = DrivingEventKind::HarshBraking;
    double peakG = 0;
    std::optional<int> kmh;
};

struct ReportFacts {
    double length = 0; // seconds
    std::vector<ReportSecond> seconds;
    std::vector<ReportEvent> events;
    // The excerpt's first and last moments in UTC; kUnknownUtc without a dated track.
    int64_t startUtc = 0;
    int64_t endUtc = 0;
    std::optional<size_t> peak;    // index into seconds: the moment the report is about
    std::optional<size_t> braking; // index into seconds: the hardest braking
    double peakDecelerationG = 0;
    std::optional<int> kmhBefore; // one second before the hardest braking
    std::optional<int> kmhAfter;  // one second after it

    bool HasPosition() const;
    bool HasSpeed() const;
    bool HasSensor() const;
};

// `tracks`, `clips` and `spans` run beside the request's pieces; spans as the job cut them.
ReportFacts GatherReportFacts(const std::vector<const ClipTrack*>& tracks,
                              const std::vector<std::string>& clips,
                              const std::vector<ExcerptSpan>& spans);
