// The video setup made from the parameter sets an H.265 camera wrote into the stream itself,
// for a cut clip recovered without a healthy clip beside it: an hvc1 entry around an hvcC
// built from the VPS, SPS and PPS, the size the SPS gives, and the frame rate of the SPS's
// timing, else the VPS's.
#pragma once

#include <optional>
#include <span>
#include <string>

#include "recover/VideoSetup.h"

// The setup, or nothing with `why` saying what is missing; `timingAssumed` says neither set
// had a frame rate and kAssumedFrameRate stands in.
std::optional<VideoSetup> SetupFromHevcSets(std::span<const unsigned char> vps,
                                            std::span<const unsigned char> sps,
                                            std::span<const unsigned char> pps, bool& timingAssumed,
                                            std::string& why);
