// How a moment of a drive reads on its timeline, in its labels and in its event list: the
// time of day in the clock the drive was counted in. A drive of dated tracks (UTC) reads in
// the system's time zone, as the driver's watch did; one counted by the camera's names reads
// as the camera wrote it, its clock being set by hand to whatever zone it was; one ordered
// only by file times has no time of day, and reads as the time since its start.
#pragma once

#include "track/LoadedDrive.h"

#include <QString>

#include <vector>

// The drive's time at `second` of its axis; with the seconds when `withSeconds`.
QString DriveClockText(const Drive& drive, double second, bool withSeconds);

struct DriveTimeLabel {
    double second = 0.0; // on the drive's axis
    QString text;
};

// Labels at round times of the drive's clock (12:00, 12:10, ...), as close as keeps them
// apart at `pixelsPerSecond` over a drive of `span` seconds.
std::vector<DriveTimeLabel> DriveTimeLabels(const Drive& drive, double span,
                                            double pixelsPerSecond);

// One line for an event: its time, its kind, its peak g and the speed, where known.
QString DriveEventText(const Drive& drive, const DriveEvent& event);
