// The speed and heading dial's per-second records and what it currently shows, with the
// geometry of its needles as pure functions, so the dial widget only paints.
#pragma once

#include <map>
#include <string>

#include "track/TrackLine.h"

struct SpeedRecord {
    int speed = 0;   // 0 to 999, in km/h
    int heading = 0; // 0 to 359, degrees clockwise from north
};

struct DialPoint {
    int x = 0;
    int y = 0;
    bool operator==(const DialPoint&) const = default;
};

// Miles per hour for one km/h; the dial converts with exactly this factor.
constexpr double kMilesPerKilometre = 0.62137119223733;

// The dial's pi, kept at eight digits: the needle positions are defined with it.
constexpr double kDialPi = 3.1415926;

// The point at `angle` degrees counter-clockwise from the positive x axis and distance r
// from (cx, cy), each offset truncated toward zero; y grows downward.
DialPoint PointOnDial(int cx, int cy, double angle, int r);

// The speed needle's tip: 0 points down-left at 230 degrees, one degree clockwise per unit.
DialPoint SpeedNeedleTip(int cx, int cy, int length, int shownSpeed);

// The compass needle for a heading on a face with north up: the tip in the direction of
// travel, the tail opposite, and the two side points right and left of the centre.
struct CompassPoints {
    DialPoint tip;
    DialPoint tail;
    DialPoint right;
    DialPoint left;
};
CompassPoints CompassAt(int cx, int cy, int length, int halfWidth, int heading);

class CSpeedDialModel {
public:
    // Clamps and stores the record of one second, replacing an earlier one; a second
    // before 0 or past the last one the dial takes is dropped.
    void SetSpeedRecord(int second, int speed, int heading);

    // The last second the dial takes, kMaxTrackSecond until a clip's loader sets the
    // clip's own.
    void SetLastSecond(int second) { m_nLastSecond = second; }
    void ClearSpeedRecords();

    // Takes the record of a second as the shown speed and heading. False, changing
    // nothing, when the second has no record.
    bool ShowSpeedAt(int second);

    // The speed in the chosen units, truncated: what the needle and the text show.
    int ShownSpeed() const;
    std::string SpeedText() const;

    const SpeedRecord* Find(int second) const;

    int m_bKmh = 0;
    int m_nSpeed = 0;
    int m_nHeading = 0;
    std::map<int, SpeedRecord> m_records;

private:
    int m_nLastSecond = kMaxTrackSecond;
};
