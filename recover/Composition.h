// When pictures are shown in another order than they are decoded (B-frames), the index must
// say so: each frame's composition offset, from the picture order counts its first slice
// carries, and the delay an edit list takes off so that the first picture is shown at 0.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "recover/AccessUnit.h"

struct Composition {
    std::vector<uint32_t> offsets; // in frames, one per unit; empty when shown as decoded
    uint32_t delay = 0;            // in frames
};

// From the units' pic_order_cnt_lsb, of `pocLsbBits` bits; shown as decoded when any unit
// lacks one.
Composition ComposeUnits(std::span<const AccessUnit> units, uint32_t pocLsbBits);
