// A stretch [begin, end) of a file that may hold data; outside every such stretch the
// file is a hole, which reads as zeros.
#pragma once

#include <cstdint>

struct FileExtent {
    uint64_t begin = 0;
    uint64_t end = 0;
};
