// Turns a stretch of a drive into the pieces of an excerpt: the stretch is given on the
// drive's time axis, and each main clip it overlaps gives the part of itself it covers,
// with another camera's clip of each for the picture in the corner.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "evidence/ExcerptRequest.h"
#include "track/DriveGrouping.h"

// The drive second of a time in the drive's clock, counted from the drive's start. For a
// drive timed by its tracks' UTC, a bare "HH:MM:SS" is read in the local clock (the TZ the
// process runs in), the clock the overlay burns in and a witness reads off the picture;
// "HH:MM:SSZ" is a UTC time of day, and "YYYY-MM-DDTHH:MM:SSZ" a UTC moment. For a drive
// timed only by its camera's names, "HH:MM:SS" is the camera's own time. A time of day is its
// first moment at or after the drive's start. Nothing, with `why`, for bad text, a UTC time
// of a drive without UTC, or a drive whose clips tell no time.
std::optional<double> DriveSecondOfClock(const Drive& drive, const std::string& text,
                                         std::string& why);

// Fills request.pieces (and request.beside) for [from, to) seconds of the drive's axis.
// False, with `why`, when the stretch covers no clip.
bool CutDrive(const Drive& drive, double from, double to, ExcerptRequest& request,
              std::string& why);
