// One stretch of a source to read: `count` bytes from `offset`.
#pragma once

#include <cstddef>
#include <cstdint>

struct ByteRange {
    uint64_t offset = 0;
    size_t count = 0;
};
