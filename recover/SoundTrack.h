// The sound track of a rebuilt index: the AAC frames found between the video, each as long
// as the frame before, since an AAC frame always holds the same number of samples. The
// frames a camera wrote back to back stay one chunk where they lie in the media data.
#pragma once

#include <cstdint>
#include <span>

#include "recover/AacFrameSearch.h"
#include "recover/BoxWriter.h"
#include "recover/SoundSetup.h"

// The track's length on the movie's clock.
uint64_t SoundMovieDuration(const SoundSetup& setup, std::span<const SoundFrame> frames);

// The trak box with id `trackId`; offsets move by `shift` and are 64-bit when `wide`.
void WriteSoundTrack(BoxWriter& box, const SoundSetup& setup, std::span<const SoundFrame> frames,
                     uint32_t trackId, int64_t shift, bool wide);
