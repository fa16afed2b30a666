// SigmaStar cameras that record transport streams put each second's LIGOGPSINFO block (see
// LigoGpsRecord.h) in a PES packet of a private stream: exiftool's notes show it on a
// stream of type 0x06 (PES private data) at packet id 0x0300, the block at the start of
// the PES data or after an 8-byte `skip` box header. Any PES that is not audio, video or
// padding is looked at, so the packet id and stream id do not matter. The records are
// taken in the order of the file, record k (empty ones counted) at second k, as the
// Novatek stream's records are; their time stamps are not read. exiftool reads these
// blocks' coordinates as written whatever the header word says, and so does this reader.
#include "track/readers/CameraReader.h"

#include "track/readers/LigoGpsRecord.h"
#include "track/readers/LigoGpsSeconds.h"
#include "track/readers/TsPesWalk.h"

#include <algorithm>

namespace {

bool MaybeLigo(unsigned streamId) {
    const bool audio = streamId >= 0xC0 && streamId <= 0xDF;
    const bool video = streamId >= 0xE0 && streamId <= 0xEF;
    const bool padding = streamId == 0xBE;
    return !audio && !video && !padding;
}

// The block up to the next block's name: one sample held a second copy after the first.
std::span<const unsigned char> FirstBlock(std::span<const unsigned char> block) {
    const auto next =
        std::search(block.begin() + 1, block.end(), kLigoMagic.begin(), kLigoMagic.end(),
                    [](unsigned char a, char b) { return a == static_cast<unsigned char>(b); });
    return block.first(static_cast<size_t>(next - block.begin()));
}

class LigoTsReader : public CameraReader {
public:
    std::string_view Family() const override { return "SigmaStar LigoGPS (MPEG-TS)"; }

    bool Claims(ByteSource& bytes) const override { return TsShapeOf(bytes).has_value(); }

    ReaderOutcome Read(const ReaderInput& input, const TrackStores& stores) const override {
        ReaderOutcome outcome;
        const std::optional<TsPacketShape> shape = TsShapeOf(input.bytes);
        if (!shape) {
            outcome.why = "not a transport stream";
            return outcome;
        }
        LigoSecondRun run(stores);
        bool blocks = false;
        TsPesWalk walk(*shape, MaybeLigo);
        const std::optional<uint64_t> lost = walk.Walk(input.bytes, [&](const TsPes& pes) {
            const std::optional<size_t> at = LigoBlockAt(pes.data);
            if (!at) {
                return;
            }
            blocks = true;
            if (!pes.whole) {
                run.Damage(pes.at);
            }
            run.Block(FirstBlock(pes.data.subspan(*at)), pes.at, true, false);
        });
        outcome.found = run.Found();
        outcome.fix = run.Fix();
        outcome.damagedAt = run.DamagedAt();
        if (lost && (!outcome.damagedAt || *lost < *outcome.damagedAt)) {
            outcome.damagedAt = lost;
        }
        if (!outcome.found) {
            outcome.why = blocks ? "no readable LIGOGPSINFO record" : "no LIGOGPSINFO record";
        } else if (!outcome.fix) {
            outcome.why = "no LIGOGPSINFO record with a fix";
        }
        return outcome;
    }
};

} // namespace

const CameraReader& LigoGpsTsReader() {
    static const LigoTsReader reader;
    return reader;
}
