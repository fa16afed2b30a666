// The movie box of a recovered clip: a video track whose samples are the frames found in the
// cut clip's media data, each its own chunk, spaced evenly at the setup's frame rate, and a
// sound track when sound was found between them.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "recover/AacFrameSearch.h"
#include "recover/AccessUnit.h"
#include "recover/Composition.h"
#include "recover/SoundSetup.h"
#include "recover/VideoSetup.h"

// The moov box for `units`, whose offsets move by `shift` in the new file, shown in the
// order `composition` gives; chunk offsets are 64-bit (co64) when `wide`, which the caller
// chooses when one passes 4 GiB. `sound` is null, or `soundFrames` empty, for a clip
// recovered without its sound.
std::vector<unsigned char> BuildMovieIndex(const VideoSetup& setup,
                                           std::span<const AccessUnit> units,
                                           const Composition& composition, const SoundSetup* sound,
                                           std::span<const SoundFrame> soundFrames, int64_t shift,
                                           bool wide);
