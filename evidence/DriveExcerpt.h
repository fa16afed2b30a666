// Turns a stretch of a drive into the pieces of an excerpt: the stretch is given on the
// drive's time axis, and each main clip it overlaps gives the part of itself it covers,
// with the other cameras' clips of the first of them for the picture in the corner.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "evidence/ExcerptRequest.h"
#include "track/DriveGrouping.h"

// The drive second of a time of day "HH:MM:SS" in the drive's clock (its UTC, or its
// camera's time): the first moment of that time at or after the drive's start, counted
// from the start. Nothing, with `why`, for bad text or a drive whose clips tell no time.
std::optional<double> DriveSecondOfClock(const Drive& drive, const std::string& text,
                                         std::string& why);

// Fills request.pieces (and request.beside) for [from, to) seconds of the drive's axis.
// False, with `why`, when the stretch covers no clip.
bool CutDrive(const Drive& drive, double from, double to, ExcerptRequest& request,
              std::string& why);
