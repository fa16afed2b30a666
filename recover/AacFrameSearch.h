// The raw AAC frames in the stretches of a cut clip's media data that are neither video nor
// camera blocks. A camera writes its sound as runs of frames back to back, so a frame is
// taken when the next one decodes from where it ends, or it ends where the stretch does. One
// that follows the frame before (or starts the stretch) but not the next is the last before
// damage or the end of the data, or one that damage made decode to another length: it is
// taken unless a frame so confirmed starts inside it. Anywhere else the search moves on a
// byte at a time until frames line up again, so damage costs the frames it hit and no more,
// and bytes that merely decode once are not taken for sound.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "recover/AacFrameTrial.h"
#include "track/ByteRange.h"
#include "track/ByteSource.h"

struct SoundFrame {
    uint64_t offset = 0; // in the cut clip
    uint32_t size = 0;
};

// The frames found in `stretches` with `trial`, in order, each of them decoded in turn by
// `player`, a decoder of the same setup that has decoded nothing else; a frame the end of
// the data cut is left out.
std::vector<SoundFrame> FindAacFrames(ByteSource& source, std::span<const ByteRange> stretches,
                                      AacFrameTrial& trial, AacFrameTrial& player);
