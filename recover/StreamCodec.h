// Which of the two codecs a cut clip's frames are in, and what depends on it: the syntax the
// walk reads them with, the setup made from the stream's own parameter sets, and what its
// SPS says of the pictures. The one place that chooses between H.264 and H.265.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "recover/MdatWalk.h"
#include "recover/NalSyntax.h"
#include "recover/VideoSetup.h"
#include "track/ByteSource.h"

// The codec of the first SPS that reads as one in the media data from `begin`, found by
// stepping over its units and camera boxes and, past anything else (sound, damage), by
// searching on; nothing when none lies within the first 64 MiB.
std::optional<VideoCodec> SniffCodec(ByteSource& source, uint64_t begin, uint64_t end);

// The syntax for `codec`, knowing the parameter sets of `known` (a template's) when given.
std::unique_ptr<NalSyntax> SyntaxFor(VideoCodec codec, const VideoSetup* known);

struct StreamPictures {
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t pocLsbBits = 4; // the width of the order count's low bits in a slice
};

// What the SPS `sps` (NAL header first) of `codec` says; nothing when it does not read.
std::optional<StreamPictures> PicturesOf(VideoCodec codec, std::span<const unsigned char> sps);

// The setup made from the parameter sets the walk found; nothing with `why` when they lack.
std::optional<VideoSetup> SetupFromStream(VideoCodec codec, const WalkedVideo& video,
                                          bool& timingAssumed, std::string& why);
