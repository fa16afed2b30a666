// One frame found in a cut clip's media data: the bytes of its NAL units, contiguous, as
// one sample of the rebuilt index.
#pragma once

#include <cstdint>

struct AccessUnit {
    uint64_t offset = 0; // in the cut clip
    uint32_t size = 0;
    bool key = false;        // a decoder may start at it (H.264's IDR, H.265's IRAP pictures)
    bool reference = false;  // the next pictures' order counts are counted from its
    bool ordersAnew = false; // its picture order count starts again (IDR; H.265's BLA too)
    bool hasPocLsb = false;  // the stream numbers the order pictures are shown in
    uint32_t pocLsb = 0;
};
