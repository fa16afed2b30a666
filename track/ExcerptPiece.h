// One clip's share of an excerpt: the stretch of that clip file the excerpt takes. The
// marks cut an excerpt into these, and the track export and the video export read them.
#pragma once

#include <string>

// Seconds `from` to `to` of the clip at `clip`.
struct ExcerptPiece {
    std::string clip;
    double from = 0.0;
    double to = 0.0;

    bool operator==(const ExcerptPiece&) const = default;
};
