#include "track/readers/TsPesWalk.h"

#include <algorithm>
#include <map>
#include <vector>

namespace {

constexpr size_t kPacket = 188;
constexpr unsigned char kSync = 0x47;
// Read in runs of whole packets; a 4 GiB clip is read once from start to end.
constexpr size_t kPacketsPerRead = 4096;
// A GPS record's PES packet is a few hundred bytes; one larger than this is not one.
constexpr size_t kMaxPesData = 4096;
constexpr size_t kPesPrefix = 6;

// Stream ids whose PES packets carry no header of flags and time stamps after the length.
bool WithoutHeader(unsigned streamId) {
    return streamId == 0xBC || streamId == 0xBE || streamId == 0xBF || streamId == 0xF0 ||
           streamId == 0xF1 || streamId == 0xF2 || streamId == 0xF8 || streamId == 0xFF;
}

struct Gathering {
    std::vector<unsigned char> data;
    size_t expected = 0;
    uint64_t at = 0;
    unsigned streamId = 0;
};

class Gatherer {
public:
    Gatherer(const TsPesWalk::Wanted& wanted, const std::function<void(const TsPes&)>& take)
        : m_wanted(wanted), m_take(take) {}

    void Packet(const unsigned char* packet, uint64_t at) {
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
            Finish(pid);
            if (size >= kPesPrefix && payload[0] == 0 && payload[1] == 0 && payload[2] == 1 &&
                m_wanted(payload[3])) {
                const size_t length = size_t{payload[4]} << 8 | payload[5];
                if (length > 0 && length <= kMaxPesData) {
                    Gathering& gathering = m_open[pid];
                    gathering.expected = length;
                    gathering.at = at;
                    gathering.streamId = payload[3];
                    Append(gathering, payload + kPesPrefix, size - kPesPrefix);
                }
            }
        } else if (const auto it = m_open.find(pid); it != m_open.end()) {
            Append(it->second, payload, size);
        }
        if (const auto it = m_open.find(pid);
            it != m_open.end() && it->second.data.size() >= it->second.expected) {
            Finish(pid);
        }
    }

    void FinishAll() {
        for (auto& [pid, gathering] : m_open) {
            Hand(gathering);
        }
        m_open.clear();
    }

private:
    static void Append(Gathering& gathering, const unsigned char* bytes, size_t count) {
        const size_t room = gathering.expected - gathering.data.size();
        gathering.data.insert(gathering.data.end(), bytes, bytes + std::min(count, room));
    }

    void Finish(unsigned pid) {
        const auto it = m_open.find(pid);
        if (it != m_open.end()) {
            Hand(it->second);
            m_open.erase(it);
        }
    }

    void Hand(const Gathering& gathering) {
        TsPes pes;
        pes.at = gathering.at;
        pes.whole = gathering.data.size() == gathering.expected;
        std::span<const unsigned char> data(gathering.data);
        if (!WithoutHeader(gathering.streamId)) {
            // Flags, then the length of the optional fields (time stamps) that follow.
            const size_t skip = data.size() >= 3 ? 3 + size_t{data[2]} : data.size() + 1;
            if (skip > data.size()) {
                pes.whole = false;
                data = {};
            } else {
                data = data.subspan(skip);
            }
        }
        pes.data = data;
        m_take(pes);
    }

    const TsPesWalk::Wanted& m_wanted;
    const std::function<void(const TsPes&)>& m_take;
    std::map<unsigned, Gathering> m_open;
};

} // namespace

std::optional<TsPacketShape> TsShapeOf(ByteSource& bytes) {
    for (const TsPacketShape shape : {TsPacketShape{kPacket, 0}, TsPacketShape{kPacket + 4, 4}}) {
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

bool TsTrailerBoxAt(ByteSource& bytes, uint64_t at) {
    const uint64_t length = bytes.Length();
    const std::span<const unsigned char> head = bytes.Read(at, 8);
    if (head.size() < 8) {
        return false;
    }
    const uint64_t size = uint64_t{head[0]} << 24 | uint64_t{head[1]} << 16 |
                          uint64_t{head[2]} << 8 | uint64_t{head[3]};
    const bool printable = std::all_of(head.begin() + 4, head.end(),
                                       [](unsigned char c) { return c >= 0x20 && c < 0x7F; });
    return printable && size >= 8 && at + size == length;
}

TsPesWalk::TsPesWalk(TsPacketShape shape, Wanted wanted)
    : m_shape(shape), m_wanted(std::move(wanted)) {}

std::optional<uint64_t> TsPesWalk::Walk(ByteSource& bytes,
                                        const std::function<void(const TsPes&)>& take) {
    Gatherer gatherer(m_wanted, take);
    uint64_t offset = 0;
    while (offset + m_shape.stride <= bytes.Length()) {
        const std::span<const unsigned char> run =
            bytes.Read(offset, m_shape.stride * kPacketsPerRead);
        const size_t whole = run.size() / m_shape.stride;
        if (whole == 0) {
            break;
        }
        for (size_t i = 0; i < whole; ++i) {
            const uint64_t at = offset + i * m_shape.stride;
            const unsigned char* packet = run.data() + i * m_shape.stride + m_shape.lead;
            if (packet[0] != kSync) {
                gatherer.FinishAll();
                if (TsTrailerBoxAt(bytes, at)) {
                    return std::nullopt;
                }
                return at;
            }
            gatherer.Packet(packet, at);
        }
        offset += whole * m_shape.stride;
        if (run.size() < m_shape.stride * kPacketsPerRead) {
            break;
        }
    }
    gatherer.FinishAll();
    return std::nullopt;
}
