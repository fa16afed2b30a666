// SigmaStar cameras that keep no ssmd track append their LIGOGPSINFO blocks (see
// LigoGpsRecord.h) after the movie. exiftool's notes describe the MP4 form: a `skip` box
// after the last top-level box holding one block, a slot a second, whose last 8 bytes are
// `&&&&` and the box's size. The blocks are found by their name after the last whole
// top-level box (or inside that box when it is the `skip` box), or after the last packet
// of a transport stream, and only in the file's last kTrailerWindow bytes, so the media
// data before is never searched: a block's name there is picture or sound, not a record.
// Slots are taken in file order, slot k (empty ones counted) at second k, as no field says
// when in the clip a slot was written.
#include "track/readers/CameraReader.h"

#include "track/Mp4Boxes.h"
#include "track/readers/LigoGpsRecord.h"
#include "track/readers/LigoGpsSeconds.h"
#include "track/readers/TsPesWalk.h"

#include <algorithm>
#include <string_view>
#include <vector>

namespace {

// A 132-byte slot a second fills this in over seventeen hours.
constexpr uint64_t kTrailerWindow = uint64_t{8} << 20;
// Far more top-level boxes than any clip has; a walk past this is damage.
constexpr int kMaxTopLevelBoxes = 100000;
constexpr std::string_view kFooterMark = "&&&&";
constexpr size_t kFooterBytes = 8;
constexpr size_t kBoxHeader = 8;
constexpr unsigned char kSync = 0x47;

bool Printable(std::span<const unsigned char> bytes) {
    return std::all_of(bytes.begin(), bytes.end(),
                       [](unsigned char c) { return c >= 0x20 && c < 0x7F; });
}

bool Equal(std::span<const unsigned char> bytes, std::string_view text) {
    return bytes.size() == text.size() &&
           std::equal(text.begin(), text.end(), bytes.begin(),
                      [](char a, unsigned char b) { return static_cast<unsigned char>(a) == b; });
}

struct Region {
    uint64_t begin = 0;
    uint64_t end = 0;
};

// Where an MP4's trailer may lie: bytes after the last whole top-level box that are no
// box, or the payload of a last `skip` box that opens with a block's name, cut short or
// not. Another box cut short (a clip the camera never closed) leaves no trailer.
std::optional<Region> Mp4TrailerRegion(ByteSource& bytes) {
    const uint64_t length = bytes.Length();
    uint64_t at = 0;
    std::optional<Mp4Box> last;
    for (int count = 0; at + kBoxHeader <= length && count < kMaxTopLevelBoxes; ++count) {
        const std::span<const unsigned char> head = bytes.Read(at, 16);
        if (head.size() < kBoxHeader || !Printable(head.subspan(4, 4))) {
            break;
        }
        uint64_t size = BigEndian(head, 0, 4);
        uint64_t header = kBoxHeader;
        if (size == 1 && head.size() >= 16) {
            size = BigEndian(head, 8, 8);
            header = 16;
        } else if (size == 0) {
            size = length - at;
        }
        if (size < header) {
            break;
        }
        if (size > length - at) {
            // A box cut short: a clip the camera never closed, or a trailer cut in its slots.
            const bool skip = Equal(head.subspan(4, 4), "skip");
            if (skip && Equal(bytes.Read(at + header, kLigoMagic.size()), kLigoMagic)) {
                return Region{at + header, length};
            }
            return std::nullopt;
        }
        Mp4Box box;
        std::copy_n(head.begin() + 4, 4, box.type);
        box.begin = at;
        box.payload = at + header;
        box.end = at + size;
        last = box;
        at += size;
    }
    if (!last) {
        return std::nullopt; // not boxes at all
    }
    if (at < length) {
        return Region{at, length};
    }
    const std::span<const unsigned char> payload = bytes.Read(last->payload, kLigoMagic.size());
    if (last->Is("skip") && Equal(payload, kLigoMagic)) {
        return Region{last->payload, length};
    }
    return std::nullopt;
}

// Whether the packet slot holding `at` is no whole packet: past the last one, or not
// opening with the sync byte.
bool OutsidePackets(std::span<const unsigned char> window, uint64_t windowAt, uint64_t at,
                    TsPacketShape shape, uint64_t length) {
    const uint64_t slot = at / shape.stride * shape.stride;
    if (slot + shape.stride > length) {
        return true;
    }
    const uint64_t sync = slot + shape.lead;
    return sync < windowAt || sync - windowAt >= window.size() ? false
                                                               : window[sync - windowAt] != kSync;
}

std::vector<size_t> Names(std::span<const unsigned char> bytes) {
    std::vector<size_t> names;
    auto from = bytes.begin();
    while (true) {
        const auto found =
            std::search(from, bytes.end(), kLigoMagic.begin(), kLigoMagic.end(),
                        [](unsigned char a, char b) { return a == static_cast<unsigned char>(b); });
        if (found == bytes.end()) {
            return names;
        }
        names.push_back(static_cast<size_t>(found - bytes.begin()));
        from = found + 1;
    }
}

bool HasFooter(ByteSource& bytes) {
    const uint64_t length = bytes.Length();
    return length >= kFooterBytes &&
           Equal(bytes.Read(length - kFooterBytes, kFooterMark.size()), kFooterMark);
}

class LigoTrailerReader : public CameraReader {
public:
    std::string_view Family() const override { return "SigmaStar LigoGPS (trailer)"; }

    bool Claims(ByteSource& bytes) const override {
        if (HasFooter(bytes)) {
            return true;
        }
        if (const std::optional<TsPacketShape> shape = TsShapeOf(bytes)) {
            const uint64_t length = bytes.Length();
            if (length % shape->stride != 0) {
                return true;
            }
            const std::span<const unsigned char> last =
                bytes.Read(length - shape->stride + shape->lead, 1);
            return !last.empty() && last[0] != kSync;
        }
        return Mp4TrailerRegion(bytes).has_value();
    }

    ReaderOutcome Read(const ReaderInput& input, const TrackStores& stores) const override {
        ReaderOutcome outcome;
        ByteSource& bytes = input.bytes;
        const uint64_t length = bytes.Length();
        const uint64_t windowAt = length > kTrailerWindow ? length - kTrailerWindow : 0;
        const std::optional<TsPacketShape> shape = TsShapeOf(bytes);
        std::optional<Region> region = shape ? Region{windowAt, length} : Mp4TrailerRegion(bytes);
        if (!region) {
            outcome.why = "nothing after the movie";
            return outcome;
        }
        region->begin = std::max(region->begin, windowAt);
        const bool footer = HasFooter(bytes);
        const std::span<const unsigned char> window =
            bytes.Read(region->begin, static_cast<size_t>(region->end - region->begin));
        if (window.size() < region->end - region->begin) {
            outcome.why = "the clip shrank while it was read";
            return outcome;
        }
        std::vector<size_t> names = Names(window);
        if (shape) {
            // Names inside the stream's packets are the packets' business, not a trailer's.
            const auto first = std::find_if(names.begin(), names.end(), [&](size_t at) {
                return OutsidePackets(window, region->begin, region->begin + at, *shape, length);
            });
            names.erase(names.begin(), first);
        }
        if (names.empty()) {
            outcome.why = "no LIGOGPSINFO block after the movie";
            return outcome;
        }
        const size_t end =
            window.size() - (footer && window.size() >= kFooterBytes ? kFooterBytes : 0);
        LigoSecondRun run(stores);
        for (size_t i = 0; i < names.size() && names[i] < end; ++i) {
            const size_t stop = i + 1 < names.size() ? std::min(names[i + 1], end) : end;
            const std::span<const unsigned char> block = window.subspan(names[i], stop - names[i]);
            run.Block(block, region->begin + names[i], LigoCoordinatesPlain(block));
        }
        outcome.found = run.Found();
        outcome.fix = run.Fix();
        outcome.damagedAt = run.DamagedAt();
        if (!outcome.found) {
            outcome.why = "no readable LIGOGPSINFO record after the movie";
        } else if (!outcome.fix) {
            outcome.why = "no LIGOGPSINFO record with a fix";
        }
        return outcome;
    }
};

} // namespace

const CameraReader& LigoGpsTrailerReader() {
    static const LigoTrailerReader reader;
    return reader;
}
