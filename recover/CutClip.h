// Telling a clip a power cut left unfinished from a whole one: its media data runs to the
// end of the file with no movie box to index it, or the media box claims more bytes than
// the file holds, so an index the camera wrote early cannot cover what came after.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "track/ByteSource.h"

struct CutClip {
    std::vector<unsigned char> fileType; // the clip's ftyp box, or empty
    uint64_t mediaBegin = 0;             // first byte of the media box's payload
    uint64_t mediaEnd = 0;               // the end of the file
};

// The cut clip's parts, or nothing with `why` saying what the file is instead.
std::optional<CutClip> FindCutClip(ByteSource& source, std::string& why);
