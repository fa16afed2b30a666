// How the GPS speed and course change around one second, from the dial's records on each
// side of it: what tells a manoeuvre from a jolt, and forward from backward, when the
// G-sensor reads only once a second. At a clip's first or last second, or beside a gap,
// the second itself stands in for the missing side.
#pragma once

#include <optional>

class CSpeedDialModel;
struct SpeedRecord;

// Below this the GPS speed and its course are mostly noise.
inline constexpr int kMovingKmh = 5;

struct SpeedSpan {
    const SpeedRecord* before = nullptr;
    const SpeedRecord* after = nullptr;
    int seconds = 0; // from before to after, 1 or 2
};

// Nullopt when fewer than two of the three seconds have a record.
std::optional<SpeedSpan> SpeedSpanAt(const CSpeedDialModel& dial, int second);

// The speed's change in km/h per second.
std::optional<double> SpeedChangeAt(const CSpeedDialModel& dial, int second);

// The course's turn in degrees per second, either way.
std::optional<double> TurnAt(const CSpeedDialModel& dial, int second);
