// Insta360 cameras keep their track in a trailer after the movie, laid out as exiftool's
// notes on INSV files describe it: records that run backwards from the file's end, each one's
// bytes followed by its 16-bit id and 32-bit length, the last one's id and length opening the
// 78 bytes that close the file (the trailer's length at offset 38, a 32-character magic at the
// end). Record 0x700 holds 53-byte GPS fixes, up to ten a second, each stamped with its UTC
// second and, at offset 8, its millisecond (so exiftool 13.64; 12.57 read those two bytes with
// a counter). Nothing in a fix says when in the clip it was taken, so a fix's second
// is its UTC second less the first fix's: a clip whose receiver found its first fix late has
// its track moved to its start.
#include "track/readers/CameraReader.h"

#include "track/CMapTrackStore.h"
#include "track/CSpeedDialModel.h"
#include "track/Truncate.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <optional>

namespace {

constexpr std::string_view kMagic = "8db42d694ccc418790edff439fe026bf";
constexpr uint64_t kTailBytes = 78;
constexpr size_t kTrailerLengthAt = 38;
constexpr uint64_t kHeaderBytes = 6;
constexpr uint16_t kGpsId = 0x700;
constexpr uint64_t kFixBytes = 53;
constexpr uint64_t kFixesPerRead = 1024;
// m/s, beyond any aircraft's: a faster fix is damage.
constexpr double kMaxSpeed = 1000.0;
// More records than any trailer holds; past them the walk is looping on damage.
constexpr int kMaxRecords = 4096;

uint32_t Little32(std::span<const unsigned char> bytes, size_t at) {
    return uint32_t{bytes[at]} | uint32_t{bytes[at + 1]} << 8 | uint32_t{bytes[at + 2]} << 16 |
           uint32_t{bytes[at + 3]} << 24;
}

double LittleDouble(std::span<const unsigned char> bytes, size_t at) {
    uint64_t bits = 0;
    for (size_t i = 0; i < 8; ++i) {
        bits |= uint64_t{bytes[at + i]} << (8 * i);
    }
    return std::bit_cast<double>(bits);
}

struct Fix {
    int64_t utc = 0;
    unsigned millisecond = 0;
    double latitude = 0.0;
    double longitude = 0.0;
    double kmh = 0.0;
    double course = 0.0;
};

enum class FixRead { Damaged, Void, Fix };

// exiftool takes an "O" (Ouest) for a west longitude, as some firmwares write it.
FixRead DecodeFix(std::span<const unsigned char> bytes, Fix& fix) {
    if (bytes[10] != 'A') {
        return FixRead::Void;
    }
    const unsigned char north = bytes[19];
    const unsigned char east = bytes[28];
    if ((north != 'N' && north != 'S') || (east != 'E' && east != 'W' && east != 'O')) {
        return FixRead::Damaged;
    }
    const double latitude = std::fabs(LittleDouble(bytes, 11));
    const double longitude = std::fabs(LittleDouble(bytes, 20));
    const double speed = LittleDouble(bytes, 29);
    const double course = LittleDouble(bytes, 37);
    fix.utc = Little32(bytes, 0);
    fix.millisecond = bytes[8] | bytes[9] << 8;
    if (!(latitude <= 90.0) || !(longitude <= 180.0) || !(std::fabs(speed) <= kMaxSpeed) ||
        !std::isfinite(course) || fix.utc == 0) {
        return FixRead::Damaged;
    }
    fix.latitude = north == 'S' ? -latitude : latitude;
    fix.longitude = east == 'E' ? longitude : -longitude;
    fix.kmh = speed * 3.6;
    fix.course = course;
    return FixRead::Fix;
}

class Insta360Reader : public CameraReader {
public:
    std::string_view Family() const override { return "Insta360 trailer"; }

    bool Claims(ByteSource& bytes) const override {
        const uint64_t length = bytes.Length();
        if (length < kTailBytes) {
            return false;
        }
        const std::span<const unsigned char> magic =
            bytes.Read(length - kMagic.size(), kMagic.size());
        return magic.size() == kMagic.size() &&
               std::memcmp(magic.data(), kMagic.data(), kMagic.size()) == 0;
    }

    ReaderOutcome Read(const ReaderInput& input, const TrackStores& stores) const override {
        ReaderOutcome outcome;
        const uint64_t length = input.bytes.Length();
        if (!Claims(input.bytes)) {
            outcome.why = "no Insta360 trailer";
            return outcome;
        }
        const uint64_t tailAt = length - kTailBytes;
        const std::span<const unsigned char> tail = input.bytes.Read(tailAt, kTailBytes);
        if (tail.size() < kTailBytes) {
            outcome.why = "the clip shrank";
            return outcome;
        }
        const uint64_t trailerBytes = Little32(tail, kTrailerLengthAt);
        if (trailerBytes < kTailBytes || trailerBytes > length) {
            outcome.found = true;
            outcome.damagedAt = tailAt;
            outcome.why = "a damaged Insta360 trailer";
            return outcome;
        }
        const uint64_t trailerAt = length - trailerBytes;
        uint64_t headerAt = tailAt;
        uint16_t id = static_cast<uint16_t>(tail[0] | tail[1] << 8);
        uint64_t bytes = Little32(tail, 2);
        for (int records = 0; records < kMaxRecords; ++records) {
            if (bytes > headerAt - trailerAt) {
                outcome.damagedAt = headerAt;
                break;
            }
            const uint64_t dataAt = headerAt - bytes;
            if (id == kGpsId) {
                outcome.found = true;
                ReadFixes(input.bytes, dataAt, bytes, stores, outcome);
                break;
            }
            // The first record opens the trailer.
            if (dataAt - trailerAt < kHeaderBytes) {
                break;
            }
            headerAt = dataAt - kHeaderBytes;
            const std::span<const unsigned char> header = input.bytes.Read(headerAt, kHeaderBytes);
            if (header.size() < kHeaderBytes) {
                break;
            }
            id = static_cast<uint16_t>(header[0] | header[1] << 8);
            bytes = Little32(header, 2);
        }
        // A trailer without GPS (no receiver or phone was paired) leaves the clip to the
        // other readers.
        outcome.found = outcome.found || outcome.damagedAt.has_value();
        if (!outcome.found) {
            outcome.why = "an Insta360 trailer without GPS record";
        } else if (!outcome.fix) {
            outcome.why = "no Insta360 GPS record with a fix";
        }
        return outcome;
    }

private:
    // Of each UTC second, the fix nearest its start: the least millisecond, the first of
    // them in file order. exiftool 13.64 has seen a record of the expected form whose length
    // is no multiple of 53, so the whole fixes in it are read.
    static void ReadFixes(ByteSource& source, uint64_t at, uint64_t bytes,
                          const TrackStores& stores, ReaderOutcome& outcome) {
        const uint64_t end = at + bytes - bytes % kFixBytes;
        std::optional<int64_t> first;
        int lastPut = -1;
        std::optional<Fix> best;
        const auto put = [&](const Fix& fix) {
            first = first.value_or(fix.utc);
            const int64_t second = fix.utc - *first;
            if (second <= lastPut || second > stores.map.LastSecond()) {
                return;
            }
            const int s = static_cast<int>(second);
            stores.map.PutEntry(s, fix.latitude, fix.longitude, 'A', fix.utc);
            stores.dial.SetSpeedRecord(s, TruncateToInt(fix.kmh), TruncateToInt(fix.course));
            outcome.fix = true;
            lastPut = s;
        };
        while (end - at >= kFixBytes) {
            const uint64_t count = std::min((end - at) / kFixBytes, kFixesPerRead);
            const std::span<const unsigned char> chunk =
                source.Read(at, static_cast<size_t>(count * kFixBytes));
            if (chunk.size() < count * kFixBytes) {
                break; // the clip shrank
            }
            for (uint64_t k = 0; k < count; ++k, at += kFixBytes) {
                Fix fix;
                const FixRead read = DecodeFix(chunk.subspan(k * kFixBytes, kFixBytes), fix);
                if (read == FixRead::Damaged) {
                    outcome.damagedAt = outcome.damagedAt.value_or(at);
                }
                if (read != FixRead::Fix) {
                    continue;
                }
                if (best && best->utc != fix.utc) {
                    put(*best);
                    best.reset();
                }
                if (!best || fix.millisecond < best->millisecond) {
                    best = fix;
                }
            }
        }
        if (best) {
            put(*best);
        }
    }
};

} // namespace

const CameraReader& Insta360TrailerReader() {
    static const Insta360Reader reader;
    return reader;
}
