// How far into the file a clip's index says its data reaches: the end of the last sample of
// the last chunk of each track. An index the camera wrote before its data, in a file that
// ends short of that, was cut off from the data it describes.
#pragma once

#include <cstdint>

#include "track/ByteSource.h"

// The furthest end of any track's data by the movie box whose payload is [begin, end);
// 0 when no track's table can be read.
uint64_t IndexReach(ByteSource& source, uint64_t begin, uint64_t end);
