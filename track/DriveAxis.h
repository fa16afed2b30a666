// A drive's one time axis, second 0 at the drive's start: where on it each of its clips
// plays, and back. The player's drive timeline, its map of the whole drive and its jumps
// from event to event all count in it, and open the clip a second of it falls in.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "track/DriveGrouping.h"
#include "track/DrivingEvents.h"

struct DrivePlace {
    size_t clip = 0;     // index in the drive's clips
    double second = 0.0; // into that clip
};

// The clip playing at `driveSecond` and how far into it. A second between two clips (the
// car stood while the camera did not record) falls at the start of the clip after it; one
// before the drive or past its end, at its first or last clip's start or end.
DrivePlace PlaceInDrive(const Drive& drive, double driveSecond);

// The drive's second at `clipSecond` into its clip `clip`.
double DriveSecondOf(const Drive& drive, size_t clip, double clipSecond);

// How long a clip of the drive plays, in whole seconds.
int64_t ClipLengthInDrive(const DriveClip& clip);

struct DriveEvent {
    size_t clip = 0;
    int driveSecond = 0;
    DrivingEvent event; // its second counted in its clip
};

// Every main clip's events on the drive's axis, in order of second.
std::vector<DriveEvent> EventsOfDrive(const Drive& drive);

// The first event after `driveSecond`, or the last one before it (`forward` false);
// nothing when there is none that way. Events less than a second from `driveSecond` are
// where the player already is and are passed over.
const DriveEvent* NextDriveEvent(const std::vector<DriveEvent>& events, double driveSecond,
                                 bool forward);
