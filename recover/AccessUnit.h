// One frame found in a cut clip's media data: the bytes of its NAL units, contiguous, as
// one sample of the rebuilt index.
#pragma once

#include <cstdint>

struct AccessUnit {
    uint64_t offset = 0; // in the cut clip
    uint32_t size = 0;
    bool key = false;       // holds an IDR slice
    bool reference = false; // other pictures may refer to it
    bool hasPocLsb = false; // the stream numbers the order pictures are shown in
    uint32_t pocLsb = 0;
};
