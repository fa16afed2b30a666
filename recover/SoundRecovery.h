// The sound of a cut clip: the template's AAC setup and the frames found with it in what the
// video walk skipped. Sound is recovered only when a template gives its setup, since raw AAC
// frames carry neither their sampling rate nor their profile; without one it is left out,
// and the note says why.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "recover/AacFrameSearch.h"
#include "recover/SoundSetup.h"
#include "track/ByteRange.h"
#include "track/ByteSource.h"

struct RecoveredSound {
    std::optional<SoundSetup> setup;
    std::vector<SoundFrame> frames;
    std::string note; // one line when sound may have been left out, else empty
};

// `skipped` are the stretches the walk found neither frames nor camera blocks in; an empty
// `templateClip` means none.
RecoveredSound RecoverSound(ByteSource& clip, const std::string& templateClip,
                            std::span<const ByteRange> skipped);
