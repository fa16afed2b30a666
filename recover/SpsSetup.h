// The video setup made from the parameter sets a camera wrote into the stream itself, for a
// cut clip recovered without a healthy clip beside it: an avc1 entry around an avcC built
// from the SPS and PPS, the size the SPS gives, and its frame rate.
#pragma once

#include <optional>
#include <span>
#include <string>

#include "recover/VideoSetup.h"

// Without timing in the SPS the frame rate is taken as this, the commonest of cameras.
constexpr uint32_t kAssumedFrameRate = 30;

// The setup, or nothing with `why` saying what is missing; `timingAssumed` says the SPS had
// no frame rate and kAssumedFrameRate stands in.
std::optional<VideoSetup> SetupFromParameterSets(std::span<const unsigned char> sps,
                                                 std::span<const unsigned char> pps,
                                                 bool& timingAssumed, std::string& why);
