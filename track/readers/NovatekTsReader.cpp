// Novatek cameras that record MPEG transport streams (.TS, so that a power cut loses no
// more than the last packets) carry one GPS record a second in a PES packet of
// private_stream_2 (stream id 0xBF). The record is the Viofo freeGPS layout without its
// 16-byte box header, after 164 bytes of model text on some cameras. Record k is second k,
// as for the blocks of an MP4 clip.
#include "track/readers/CameraReader.h"

#include "track/CMapTrackStore.h"
#include "track/CameraBlockLayouts.h"
#include "track/readers/BlockSecond.h"

#include <algorithm>
#include <array>
#include <map>
#include <vector>

namespace {

constexpr size_t kPacket = 188;
constexpr unsigned char kSync = 0x47;
// Read in runs of whole packets; a 4 GiB clip is read once from start to end.
constexpr size_t kPacketsPerRead = 4096;
// A GPS record's PES packet is a few hundred bytes; one larger than this is not one.
constexpr size_t kMaxPesData = 4096;
// Where the status letter lies in a record's data: after the time and date words, and
// after the model text too on cameras that write one.
constexpr std::array<size_t, 2> kStatusAt{24, 164 + 24};

// 188-byte packets, or 192 with the 4-byte time code of Blu-ray and some cameras.
struct PacketShape {
    size_t stride = 0;
    size_t lead = 0;
};

std::optional<PacketShape> ShapeOf(ByteSource& bytes) {
    for (const PacketShape shape : {PacketShape{kPacket, 0}, PacketShape{kPacket + 4, 4}}) {
        const std::span<const unsigned char> head = bytes.Read(0, 3 * shape.stride);
        if (head.size() < 2 * shape.stride) {
            continue;
        }
        const bool third =
            head.size() < 3 * shape.stride || head[2 * shape.stride + shape.lead] == kSync;
        if (head[shape.lead] == kSync && head[shape.stride + shape.lead] == kSync && third) {
            return shape;
        }
    }
    return std::nullopt;
}

// The record in a PES packet's data as the freeGPS box bytes its layouts decode, from the
// marker on; nothing when the data holds no record.
std::optional<std::array<unsigned char, kCameraBlockLength>>
RecordAsBlock(const std::vector<unsigned char>& data) {
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

    bool Claims(ByteSource& bytes) const override { return ShapeOf(bytes).has_value(); }

    ReaderOutcome Read(const ReaderInput& input, const TrackStores& stores) const override {
        ReaderOutcome outcome;
        const std::optional<PacketShape> shape = ShapeOf(input.bytes);
        if (!shape) {
            outcome.why = "not a transport stream";
            return outcome;
        }
        int second = 0;
        auto take = [&](const std::vector<unsigned char>& data, uint64_t at) {
            const auto block = RecordAsBlock(data);
            if (!block || second > stores.map.LastSecond()) {
                return;
            }
            const FreeGpsBlock record = DecodeCameraBlock(*block, at);
            outcome.found = true;
            outcome.fix = outcome.fix || record.status == 'A';
            PutBlockSecond(stores, second, record);
            ++second;
        };
        ReadPackets(input.bytes, *shape, take, outcome);
        if (!outcome.fix) {
            outcome.why =
                outcome.found ? "GPS records without a valid fix" : "no GPS records in the stream";
        }
        return outcome;
    }

private:
    // A PES packet of private_stream_2 being gathered on one packet id.
    struct Gathering {
        std::vector<unsigned char> data;
        size_t expected = 0;
        uint64_t at = 0;
    };

    template <typename Take>
    static void ReadPackets(ByteSource& bytes, PacketShape shape, Take& take,
                            ReaderOutcome& outcome) {
        std::map<unsigned, Gathering> open;
        auto finish = [&](unsigned pid) {
            const auto it = open.find(pid);
            if (it != open.end()) {
                take(it->second.data, it->second.at);
                open.erase(it);
            }
        };
        uint64_t offset = 0;
        while (offset + shape.stride <= bytes.Length()) {
            const std::span<const unsigned char> run =
                bytes.Read(offset, shape.stride * kPacketsPerRead);
            const size_t whole = run.size() / shape.stride;
            if (whole == 0) {
                break;
            }
            for (size_t i = 0; i < whole; ++i) {
                const uint64_t at = offset + i * shape.stride;
                const unsigned char* packet = run.data() + i * shape.stride + shape.lead;
                if (packet[0] != kSync) {
                    // Lost step: the rest cannot be told apart from video bytes.
                    outcome.damagedAt = outcome.damagedAt.value_or(at);
                    for (auto& [pid, gathering] : open) {
                        take(gathering.data, gathering.at);
                    }
                    return;
                }
                Packet(packet, at, open, finish);
            }
            offset += whole * shape.stride;
            if (run.size() < shape.stride * kPacketsPerRead) {
                break;
            }
        }
        for (auto& [pid, gathering] : open) {
            take(gathering.data, gathering.at);
        }
    }

    template <typename Finish>
    static void Packet(const unsigned char* packet, uint64_t at,
                       std::map<unsigned, Gathering>& open, Finish& finish) {
        const bool start = (packet[1] & 0x40) != 0;
        const unsigned pid = (packet[1] & 0x1Fu) << 8 | packet[2];
        const unsigned control = packet[3] >> 4 & 0x3u;
        if ((control & 0x1u) == 0) {
            return; // no payload
        }
        size_t from = 4;
        if ((control & 0x2u) != 0) {
            from += 1 + size_t{packet[4]};
        }
        if (from >= kPacket) {
            return;
        }
        const unsigned char* payload = packet + from;
        const size_t size = kPacket - from;
        if (start) {
            finish(pid);
            if (size >= 6 && payload[0] == 0 && payload[1] == 0 && payload[2] == 1 &&
                payload[3] == 0xBF) {
                const size_t length = size_t{payload[4]} << 8 | payload[5];
                if (length > 0 && length <= kMaxPesData) {
                    Gathering& gathering = open[pid];
                    gathering.expected = length;
                    gathering.at = at;
                    Append(gathering, payload + 6, size - 6);
                }
            }
        } else if (const auto it = open.find(pid); it != open.end()) {
            Append(it->second, payload, size);
        }
        if (const auto it = open.find(pid);
            it != open.end() && it->second.data.size() >= it->second.expected) {
            finish(pid);
        }
    }

    static void Append(Gathering& gathering, const unsigned char* bytes, size_t count) {
        const size_t room = gathering.expected - gathering.data.size();
        gathering.data.insert(gathering.data.end(), bytes, bytes + std::min(count, room));
    }
};

} // namespace

const CameraReader& NovatekTsReader() {
    static const TsReader reader;
    return reader;
}
