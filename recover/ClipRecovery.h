// Recovering one clip a power cut left without its index: the steps from the cut file (and
// a healthy clip of the same camera, when there is one) to a playable file beside it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

struct RecoveryOutcome {
    bool ok = false;
    std::string why; // one line, when not ok
    uint64_t frames = 0;
    uint64_t keyFrames = 0;
    uint64_t skippedBytes = 0;  // neither frames nor camera blocks
    uint64_t soundFrames = 0;   // AAC frames found in those bytes
    std::string soundNote;      // one line when sound may have been left out
    bool timingAssumed = false; // no template and no frame rate in the stream
    double frameRate = 0.0;
};

// Hears now and then how much of the work is done, from 0 to 1; answering false stops the
// recovery, which then leaves no output file.
using RecoveryProgress = std::function<bool(double done)>;

// Writes the recovered clip at `output`, which must not exist yet; an empty `templateClip`
// means none. The cut clip is only read.
RecoveryOutcome RecoverClip(const std::string& cutClip, const std::string& templateClip,
                            const std::string& output, const RecoveryProgress& progress = {});

// Whether the clip is one a power cut left without a whole index, from its boxes alone.
bool IsCutClip(const std::string& path);
