// The track seconds an excerpt shows, placed on the excerpt's own clock. Every file the
// excerpt carries (the NMEA text track, the burnt-in captions, the GPX) is written from
// this one list, so they can never disagree about which second is where.
#pragma once

#include <cstdint>
#include <vector>

#include "evidence/ExcerptRequest.h"

class ClipTrack;

struct ExcerptSecond {
    double begin = 0; // on the excerpt's clock, in seconds; clipped to its piece
    double end = 0;
    bool fix = false; // a valid position; when false the place and speed are unknown
    double latitude = 0;
    double longitude = 0;
    int kmh = 0;
    int heading = 0;
    bool hasSpeed = false;
    int64_t utc = 0;  // kUnknownUtc when the source gave no date and time
    size_t piece = 0; // which piece of the request it shows
    int source = 0;   // the second of that piece's clip
};

// Where each piece's picture starts in its clip: `from` when re-encoded, the key frame at
// or before `from` when copied.
struct ExcerptSpan {
    double start = 0;
    double end = 0;
    bool sound = true; // the piece's clip has sound
};

// One entry per whole second of each piece's clip that its track holds and the span
// overlaps, in excerpt order. `tracks` and `spans` run beside request.pieces.
std::vector<ExcerptSecond> ExcerptSeconds(const std::vector<const ClipTrack*>& tracks,
                                          const std::vector<ExcerptSpan>& spans);

// The excerpt's length: the spans added.
double ExcerptLength(const std::vector<ExcerptSpan>& spans);
