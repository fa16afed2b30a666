// The video setup of a healthy clip of the same camera: its first video track's sample
// entry (H.264's or H.265's), picture size, timescale and frame spacing, read from its index.
#pragma once

#include <optional>
#include <string>

#include "recover/VideoSetup.h"
#include "track/ByteSource.h"

// The setup, or nothing with `why` saying what the template lacks or holds instead.
std::optional<VideoSetup> ReadTemplateSetup(ByteSource& source, std::string& why);
