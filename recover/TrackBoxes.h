// Finding the boxes of a healthy clip's tracks, for the setups a template gives: a track by
// its handler, and a box's bytes.
#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "track/ByteSource.h"
#include "track/Mp4Boxes.h"

std::vector<unsigned char> Bytes(ByteSource& source, uint64_t at, uint64_t count);

// The movie's first track whose handler is `handler` ("vide", "soun").
std::optional<Mp4Box> TrackOf(ByteSource& source, const Mp4Box& movie, std::string_view handler);
