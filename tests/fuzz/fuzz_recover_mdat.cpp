// Walks arbitrary bytes as a cut clip's media data, once as H.264 and once as H.265, orders
// the frames each walk finds for showing, then reads the parameter sets it kept and the
// whole input as an SPS of either codec; every frame a walk finds must lie inside the data,
// in order, and no two may overlap.
#include "recover/AvcSyntax.h"
#include "recover/Composition.h"
#include "recover/HevcSetFacts.h"
#include "recover/HevcSpsFacts.h"
#include "recover/HevcSyntax.h"
#include "recover/MdatWalk.h"
#include "recover/SpsFacts.h"
#include "track/MemoryBytes.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

void Walk(const uint8_t* data, size_t size, NalSyntax& syntax) {
    MemoryBytes source(data, size);
    const WalkedVideo video = MdatWalk(source, 0, size, syntax).Run();
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
    ReadHevcSps(video.sps);
    ReadHevcVps(video.vps);
    ReadHevcPps(video.pps);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    AvcSyntax avc;
    Walk(data, size, avc);
    HevcSyntax hevc;
    Walk(data, size, hevc);
    if (size > 1) {
        std::vector<unsigned char> sps(data, data + size);
        sps[0] = 0x67;
        ReadSpsFacts(sps);
        sps[0] = 0x42;
        sps[1] = 0x01;
        ReadHevcSps(sps);
    }
    return 0;
}
