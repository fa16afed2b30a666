// Reads arbitrary bytes as a whole clip: the box walk, the `gps ` index, the indexed blocks
// in every layout and the scan it falls back to.
#include "track/EmbeddedTrack.h"
#include "track/MemoryBytes.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MemoryBytes source(data, size);
    volatile double sum = 0;
    for (const FreeGpsBlock& block : ReadEmbeddedBlocks(source).blocks) {
        sum = sum + block.latitude + block.longitude + block.speed + block.x;
    }
    return 0;
}
