// Where a second of a drive falls across the drive timeline, and back. The timeline spans
// the whole drive: its clock's length, or further when its last clip plays past that (a
// drive counted by file times knows only its clips' lengths), so no clip is ever cut off.
#pragma once

#include "track/LoadedDrive.h"

// The seconds the timeline of `drive` spans; at least 1, so that a drive of empty clips
// still has an axis to divide.
double DriveTimelineSpan(const Drive& drive);

class DriveTimelineScale {
public:
    // Second 0 at pixel `left`, the span's end at pixel `right`.
    DriveTimelineScale(double span, int left, int right);

    double XOf(double second) const;
    // The drive's second under pixel `x`, limited to the drive.
    double SecondAt(double x) const;

    int Left() const { return m_left; }
    int Right() const { return m_right; }
    double Span() const { return m_span; }

private:
    double m_span;
    int m_left;
    int m_right;
};
