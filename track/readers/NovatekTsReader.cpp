// Novatek cameras that record MPEG transport streams (.TS, so that a power cut loses no
// more than the last packets) carry one GPS record a second in a PES packet of
// private_stream_2 (stream id 0xBF). The record is the Viofo freeGPS layout without its
// 16-byte box header, after 164 bytes of model text on some cameras. Record k is second k,
// as for the blocks of an MP4 clip.
#include "track/readers/CameraReader.h"

#include "track/CMapTrackStore.h"
#include "track/CameraBlockLayouts.h"
#include "track/readers/BlockSecond.h"
#include "track/readers/LigoGpsRecord.h"
#include "track/readers/TsPesWalk.h"

#include <algorithm>
#include <array>

namespace {

constexpr unsigned kPrivateStream2 = 0xBF;
// Where the status letter lies in a record's data: after the time and date words, and
// after the model text too on cameras that write one.
constexpr std::array<size_t, 2> kStatusAt{24, 164 + 24};

// The record in a PES packet's data as the freeGPS box bytes its layouts decode, from the
// marker on; nothing when the data holds no record.
std::optional<std::array<unsigned char, kCameraBlockLength>>
RecordAsBlock(std::span<const unsigned char> data) {
    // SigmaStar cameras' LIGOGPSINFO blocks are another family's, whatever bytes they hold.
    if (LigoBlockAt(data) != std::nullopt) {
        return std::nullopt;
    }
    for (const size_t status : kStatusAt) {
        if (data.size() <= status + 3 || (data[status] != 'A' && data[status] != 'V')) {
            continue;
        }
        // The box's time words start 16 bytes in, 12 after the marker.
        std::array<unsigned char, kCameraBlockLength> block{};
        const std::string_view marker = "freeGPS ";
        std::copy(marker.begin(), marker.end(), block.begin());
        const size_t from = status - 24;
        const size_t count = std::min(data.size() - from, block.size() - 12);
        std::copy_n(data.begin() + static_cast<std::ptrdiff_t>(from), count, block.begin() + 12);
        return block;
    }
    return std::nullopt;
}

class TsReader : public CameraReader {
public:
    std::string_view Family() const override { return "Novatek MPEG-TS"; }

    bool Claims(ByteSource& bytes) const override { return TsShapeOf(bytes).has_value(); }

    ReaderOutcome Read(const ReaderInput& input, const TrackStores& stores) const override {
        ReaderOutcome outcome;
        const std::optional<TsPacketShape> shape = TsShapeOf(input.bytes);
        if (!shape) {
            outcome.why = "not a transport stream";
            return outcome;
        }
        int second = 0;
        TsPesWalk walk(*shape, [](unsigned streamId) { return streamId == kPrivateStream2; });
        outcome.damagedAt = walk.Walk(input.bytes, [&](const TsPes& pes) {
            const auto block = RecordAsBlock(pes.data);
            if (!block || second > stores.map.LastSecond()) {
                return;
            }
            const FreeGpsBlock record = DecodeCameraBlock(*block, pes.at);
            outcome.found = true;
            outcome.fix = outcome.fix || record.status == 'A';
            PutBlockSecond(stores, second, record);
            ++second;
        });
        if (!outcome.fix) {
            outcome.why =
                outcome.found ? "GPS records without a valid fix" : "no GPS records in the stream";
        }
        return outcome;
    }
};

} // namespace

const CameraReader& NovatekTsReader() {
    static const TsReader reader;
    return reader;
}
