#include "track/DrivingEvents.h"

#include "track/CameraLockedClip.h"
#include "track/ClipTrack.h"
#include "track/SensorAxes.h"
#include "track/SpeedSpan.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

constexpr double kHarshBrakingG = 0.40;
constexpr double kHarshAccelerationG = 0.35;
constexpr double kHardCorneringG = 0.40;
constexpr double kImpactG = 1.5;
// A 0.4 g manoeuvre changes the speed by 14 km/h in a second; half a second of it across a
// two-second span still shows as more than this.
constexpr double kConfirmKmhPerSecond = 2.0;
// Cornering at 0.4 g turns the car by 8 degrees a second even at 100 km/h.
constexpr double kConfirmTurnDegreesPerSecond = 2.5;
constexpr int kMergeSeconds = 3;

struct Candidate {
    int second = 0;
    DrivingEventKind kind = DrivingEventKind::HarshBraking;
    double peakG = 0.0;
    double signedG = 0.0; // the value on the axis that made it, for a neighbour's check
};

// The car's frame: along (forward positive), across, up, each minus rest.
struct Motion {
    double along = 0.0;
    double across = 0.0;
    double up = 0.0;
};

Motion MotionOf(const SensorReading& reading, const SensorAxes& axes) {
    auto part = [&](int axis) { return reading.value[axis] - axes.rest[axis]; };
    return {axes.forward * part(axes.along), part(axes.across), part(axes.up)};
}

std::optional<Candidate> CandidateAt(int second, const Motion& m) {
    const double horizontal = std::hypot(m.along, m.across);
    if (horizontal >= kImpactG) {
        const double total = std::sqrt(horizontal * horizontal + m.up * m.up);
        return Candidate{second, DrivingEventKind::Impact, total, horizontal};
    }
    if (-m.along >= kHarshBrakingG) {
        return Candidate{second, DrivingEventKind::HarshBraking, -m.along, m.along};
    }
    if (m.along >= kHarshAccelerationG) {
        return Candidate{second, DrivingEventKind::HarshAcceleration, m.along, m.along};
    }
    if (std::fabs(m.across) >= kHardCorneringG) {
        return Candidate{second, DrivingEventKind::HardCornering, std::fabs(m.across), m.across};
    }
    return std::nullopt;
}

// Whether GPS speed and course bear the reading out; nullopt when they cannot tell.
std::optional<bool> BorneOut(const Candidate& c, const CSpeedDialModel& dial) {
    switch (c.kind) {
    case DrivingEventKind::HarshBraking:
    case DrivingEventKind::HarshAcceleration: {
        const std::optional<double> change = SpeedChangeAt(dial, c.second);
        if (!change) {
            return std::nullopt;
        }
        return c.kind == DrivingEventKind::HarshBraking ? *change <= -kConfirmKmhPerSecond
                                                        : *change >= kConfirmKmhPerSecond;
    }
    case DrivingEventKind::HardCornering: {
        const SpeedRecord* now = dial.Find(c.second);
        const std::optional<double> turn = TurnAt(dial, c.second);
        if (now == nullptr || !turn) {
            return std::nullopt;
        }
        return now->speed >= kMovingKmh && *turn >= kConfirmTurnDegreesPerSecond;
    }
    default:
        return true;
    }
}

bool SameWayPast(const Candidate& c, const std::optional<Candidate>& other) {
    return other && other->kind == c.kind && other->second + 1 >= c.second &&
           other->second <= c.second + 1 && (other->signedG > 0.0) == (c.signedG > 0.0);
}

std::optional<int> SpeedAt(const CSpeedDialModel& dial, int second) {
    const SpeedRecord* record = dial.Find(second);
    return record ? std::optional<int>(record->speed) : std::nullopt;
}

} // namespace

const char* DrivingEventName(DrivingEventKind kind) {
    switch (kind) {
    case DrivingEventKind::HarshBraking:
        return "harsh-braking";
    case DrivingEventKind::HarshAcceleration:
        return "harsh-acceleration";
    case DrivingEventKind::HardCornering:
        return "hard-cornering";
    case DrivingEventKind::Impact:
        return "impact";
    case DrivingEventKind::Locked:
        return "locked";
    }
    return "";
}

std::vector<DrivingEvent> DetectDrivingEvents(const CGSampleStore& chart,
                                              const CSpeedDialModel& dial) {
    const std::vector<SensorReading> readings = SensorReadings(chart);
    const SensorAxes axes = DecideSensorAxes(readings, dial);
    std::vector<std::optional<Candidate>> candidates;
    candidates.reserve(readings.size());
    for (const SensorReading& reading : readings) {
        candidates.push_back(CandidateAt(reading.second, MotionOf(reading, axes)));
    }

    std::vector<DrivingEvent> events;
    // Per kind: the event its run makes so far and the run's last second.
    std::vector<std::pair<size_t, int>> runs(static_cast<size_t>(DrivingEventKind::Locked),
                                             {SIZE_MAX, 0});
    for (size_t i = 0; i < candidates.size(); ++i) {
        if (!candidates[i]) {
            continue;
        }
        const Candidate& c = *candidates[i];
        const std::optional<bool> borne = BorneOut(c, dial);
        const bool neighbour = (i > 0 && SameWayPast(c, candidates[i - 1])) ||
                               (i + 1 < candidates.size() && SameWayPast(c, candidates[i + 1]));
        if (!(borne ? *borne : neighbour)) {
            continue;
        }
        auto& [index, last] = runs[static_cast<size_t>(c.kind)];
        const DrivingEvent event{c.second, c.kind, c.peakG, SpeedAt(dial, c.second)};
        if (index != SIZE_MAX && c.second - last <= kMergeSeconds) {
            if (c.peakG > events[index].peakG) {
                events[index] = event;
            }
        } else {
            index = events.size();
            events.push_back(event);
        }
        last = c.second;
    }
    std::stable_sort(
        events.begin(), events.end(),
        [](const DrivingEvent& a, const DrivingEvent& b) { return a.second < b.second; });
    return events;
}

std::vector<DrivingEvent> DetectClipEvents(const std::string& clipPath, const ClipTrack& track) {
    std::vector<DrivingEvent> events;
    if (CameraLockedClip(clipPath)) {
        events.push_back({0, DrivingEventKind::Locked, 0.0, SpeedAt(track.Dial(), 0)});
    }
    const std::vector<DrivingEvent> found = DetectDrivingEvents(track.Chart(), track.Dial());
    events.insert(events.end(), found.begin(), found.end());
    return events;
}
