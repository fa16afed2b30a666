// Recovering one clip a power cut left without its index: the steps from the cut file (and
// a healthy clip of the same camera, when there is one) to a playable file beside it.
#pragma once

#include <cstdint>
#include <string>

struct RecoveryOutcome {
    bool ok = false;
    std::string why; // one line, when not ok
    uint64_t frames = 0;
    uint64_t keyFrames = 0;
    uint64_t skippedBytes = 0;  // neither frames nor camera blocks
    bool timingAssumed = false; // no template and no frame rate in the stream
    double frameRate = 0.0;
};

// Writes the recovered clip at `output`, which must not exist yet; an empty `templateClip`
// means none. The cut clip is only read.
RecoveryOutcome RecoverClip(const std::string& cutClip, const std::string& templateClip,
                            const std::string& output);
