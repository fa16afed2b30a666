#include "track/readers/AvcSei.h"

#include "track/Mp4Boxes.h"

namespace {

// A visual sample entry's fields before its child boxes.
constexpr uint64_t kVisualEntryBytes = 78;
constexpr uint64_t kStsdHeaderBytes = 8;
constexpr size_t kAvcCBytes = 5;
// Far more than any camera's SEI unit; a larger one is somebody else's and passed over.
constexpr uint64_t kMaxSeiBytes = 64u << 10;
// Parameter sets, delimiters and SEI units in front of the first slice.
constexpr int kMaxUnitsBeforeSlice = 64;
constexpr unsigned char kSeiUnit = 6;
constexpr unsigned char kLastSliceUnit = 5;
constexpr unsigned kUserDataUnregistered = 5;
constexpr unsigned char kStopBits = 0x80;

std::optional<Mp4Box> ChildBox(ByteSource& bytes, uint64_t begin, uint64_t end,
                               std::string_view type) {
    std::optional<Mp4Box> found;
    ForEachMp4Box(bytes, begin, end, [&](const Mp4Box& box) {
        if (box.Is(type)) {
            found = box;
        }
        return !found;
    });
    return found;
}

std::optional<int> LengthBytes(ByteSource& bytes, const Mp4Track& track) {
    const std::optional<Mp4Box> stsd = ChildBox(bytes, track.stbl.payload, track.stbl.end, "stsd");
    if (!stsd || stsd->end - stsd->payload < kStsdHeaderBytes) {
        return std::nullopt;
    }
    std::optional<Mp4Box> entry;
    ForEachMp4Box(bytes, stsd->payload + kStsdHeaderBytes, stsd->end, [&](const Mp4Box& box) {
        entry = box;
        return false;
    });
    if (!entry || entry->end - entry->payload < kVisualEntryBytes) {
        return std::nullopt;
    }
    const std::optional<Mp4Box> avcC =
        ChildBox(bytes, entry->payload + kVisualEntryBytes, entry->end, "avcC");
    if (!avcC || avcC->end - avcC->payload < kAvcCBytes) {
        return std::nullopt;
    }
    const std::span<const unsigned char> config = bytes.Read(avcC->payload, kAvcCBytes);
    if (config.size() < kAvcCBytes || config[0] != 1) {
        return std::nullopt;
    }
    const int length = (config[4] & 3) + 1;
    if (length == 3) {
        return std::nullopt;
    }
    return length;
}

void Unescape(std::span<const unsigned char> unit, std::vector<unsigned char>& out) {
    out.clear();
    int zeros = 0;
    for (const unsigned char byte : unit) {
        if (zeros >= 2 && byte == 3) {
            zeros = 0;
            continue;
        }
        out.push_back(byte);
        zeros = byte == 0 ? zeros + 1 : 0;
    }
}

// The SEI syntax's numbers: a run of 0xff bytes, each adding 255, then the last byte.
std::optional<uint64_t> SeiNumber(std::span<const unsigned char> rbsp, size_t& at) {
    uint64_t value = 0;
    while (at < rbsp.size() && rbsp[at] == 0xff) {
        value += 0xff;
        ++at;
    }
    if (at >= rbsp.size()) {
        return std::nullopt;
    }
    return value + rbsp[at++];
}

// Calls `take` for each user-data payload of the unit; false when the unit makes no sense.
bool SplitSei(std::span<const unsigned char> rbsp,
              const std::function<void(std::span<const unsigned char>)>& take) {
    size_t at = 1;
    while (at < rbsp.size() && !(at + 1 == rbsp.size() && rbsp[at] == kStopBits)) {
        const std::optional<uint64_t> type = SeiNumber(rbsp, at);
        const std::optional<uint64_t> size = type ? SeiNumber(rbsp, at) : std::nullopt;
        if (!size || *size > rbsp.size() - at) {
            return false;
        }
        if (*type == kUserDataUnregistered) {
            take(rbsp.subspan(at, static_cast<size_t>(*size)));
        }
        at += static_cast<size_t>(*size);
    }
    return true;
}

} // namespace

std::optional<AvcTrack> FindAvcTrack(ByteSource& bytes) {
    std::optional<AvcTrack> found;
    ForEachMp4Track(bytes, [&](const Mp4Track& track) {
        if (track.IsFormat("avc1") || track.IsFormat("avc3")) {
            if (const std::optional<int> length = LengthBytes(bytes, track)) {
                found = AvcTrack{.track = track, .lengthBytes = *length};
            }
        }
        return !found;
    });
    return found;
}

std::optional<uint64_t> ForEachAvcUserData(ByteSource& bytes, const AvcTrack& avc,
                                           uint64_t maxSamples,
                                           const std::function<bool(const AvcUserData&)>& take) {
    std::optional<uint64_t> damagedAt;
    if (avc.track.timescale == 0) {
        return damagedAt;
    }
    const uint64_t length = bytes.Length();
    const uint64_t lengthBytes = static_cast<uint64_t>(avc.lengthBytes);
    const auto damage = [&](uint64_t at) { damagedAt = damagedAt.value_or(at); };
    std::vector<unsigned char> rbsp;
    bool more = true;
    ForEachMp4Sample(bytes, avc.track, maxSamples, [&](const Mp4Sample& sample) {
        if (sample.offset >= length || sample.size > length - sample.offset) {
            damage(sample.offset);
            return true;
        }
        const double seconds =
            static_cast<double>(sample.time) / static_cast<double>(avc.track.timescale);
        uint64_t at = sample.offset;
        const uint64_t end = sample.offset + sample.size;
        for (int unit = 0; more && unit < kMaxUnitsBeforeSlice && end - at > lengthBytes; ++unit) {
            const std::span<const unsigned char> head = bytes.Read(at, lengthBytes + 1);
            if (head.size() < lengthBytes + 1) {
                return false; // the clip shrank
            }
            const uint64_t size = BigEndian(head, 0, lengthBytes);
            if (size == 0 || size > end - at - lengthBytes) {
                damage(at);
                break;
            }
            const unsigned char type = head[lengthBytes] & 0x1f;
            if (type >= 1 && type <= kLastSliceUnit) {
                break;
            }
            if (type == kSeiUnit && size <= kMaxSeiBytes) {
                const std::span<const unsigned char> unitBytes =
                    bytes.Read(at + lengthBytes, static_cast<size_t>(size));
                if (unitBytes.size() < size) {
                    return false;
                }
                Unescape(unitBytes, rbsp);
                const bool whole = SplitSei(rbsp, [&](std::span<const unsigned char> payload) {
                    more = more && take({.seconds = seconds, .offset = at, .payload = payload});
                });
                if (!whole) {
                    damage(at);
                }
            }
            at += lengthBytes + size;
        }
        return more;
    });
    return damagedAt;
}
