// The "freeGPS" blocks most Novatek-based cameras write into the clip, one a second, in
// the player's own layout or in one of the camera layouts CameraBlockLayouts tells apart:
// found through the clip's `gps ` index, or by the scan. Block k is second k.
#include "track/readers/CameraReader.h"

#include "track/CMapTrackStore.h"
#include "track/EmbeddedTrack.h"
#include "track/readers/BlockSecond.h"

namespace {

class FreeGpsReader : public CameraReader {
public:
    std::string_view Family() const override { return "freeGPS blocks"; }

    // Blocks may lie anywhere in any container: only the scan can tell.
    bool Claims(ByteSource& /*bytes*/) const override { return true; }

    ReaderOutcome Read(const ReaderInput& input, const TrackStores& stores) const override {
        const EmbeddedBlocks found = ReadEmbeddedBlocks(input.bytes);
        ReaderOutcome outcome{.found = !found.blocks.empty(), .damagedAt = found.damagedAt};
        const std::string damaged = found.damage.empty() ? std::string() : "; " + found.damage;
        if (found.blocks.empty()) {
            outcome.why = "no GPS blocks" + damaged;
            return outcome;
        }
        int second = 0;
        for (const FreeGpsBlock& block : found.blocks) {
            if (second > stores.map.LastSecond()) {
                break;
            }
            PutBlockSecond(stores, second, block);
            outcome.fix = outcome.fix || block.status == 'A';
            ++second;
        }
        if (!outcome.fix) {
            const size_t count = found.blocks.size();
            outcome.why = std::to_string(count) + (count == 1 ? " GPS block" : " GPS blocks") +
                          " without a valid fix" + damaged;
        }
        return outcome;
    }
};

} // namespace

const CameraReader& FreeGpsBlocksReader() {
    static const FreeGpsReader reader;
    return reader;
}
