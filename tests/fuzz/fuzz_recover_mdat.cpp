// Walks arbitrary bytes as a cut clip's media data, orders the frames it finds for showing,
// then reads the SPS it kept and the whole input as an SPS; every frame the walk finds must
// lie inside the data, in order, and no two may overlap.
#include "recover/Composition.h"
#include "recover/MdatWalk.h"
#include "recover/SpsFacts.h"
#include "track/MemoryBytes.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MemoryBytes source(data, size);
    const WalkedVideo video = MdatWalk(source, 0, size).Run();
    uint64_t after = 0;
    for (const AccessUnit& unit : video.units) {
        if (unit.offset < after || unit.size == 0 || unit.offset + unit.size > size) {
            std::abort();
        }
        after = unit.offset + unit.size;
    }
    if (!video.units.empty() && !video.units.front().key) {
        std::abort();
    }
    const Composition shown = ComposeUnits(video.units, 4 + size % 13);
    if (!shown.offsets.empty() && shown.offsets.size() != video.units.size()) {
        std::abort();
    }
    ReadSpsFacts(video.sps);
    if (size > 0) {
        std::vector<unsigned char> sps(data, data + size);
        sps[0] = 0x67;
        ReadSpsFacts(sps);
    }
    return 0;
}
