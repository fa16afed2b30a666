// Where a clip's file stops holding what its index names. A camera that loses power, or a
// copy cut short, can leave an index of the whole recording over data that ends early; a
// player then stops at that point without a word. The first sample of any track whose bytes
// lie past the file's end marks the cut.
#pragma once

#include <optional>
#include <string>

#include "track/ByteSource.h"

struct ClipCut {
    double at = 0.0;     // seconds: the decoding time of the first sample lost
    double length = 0.0; // seconds its index names
};

// Nothing for a clip whose every sample lies within the file, or that has no index to tell.
std::optional<ClipCut> FindClipCut(ByteSource& clip);
// The same for the clip at `path`; nothing when it cannot be opened.
std::optional<ClipCut> FindClipCut(const std::string& path);
