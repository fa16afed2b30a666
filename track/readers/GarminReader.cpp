// Garmin dash cams write a binary record a second into a text track of the clip, as
// exiftool's QuickTimeStream.pl describes it: "PNDM", then from the marker a big-endian
// 16-bit speed in whole mph at 8 and signed 32-bit latitude and longitude in semicircles
// (2^31 to 180 degrees) at 12 and 16. The sample may open with a text cue's 16-bit length
// and the record with its own 32-bit size. The record holds neither a time of day nor a
// heading that anyone has described: each record is placed by its sample's time, with no
// UTC, and the dial's course stays 0.
#include "track/readers/CameraReader.h"

#include "track/CMapTrackStore.h"
#include "track/CSpeedDialModel.h"
#include "track/Mp4TextSamples.h"
#include "track/TrackLine.h"
#include "track/Truncate.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>
#include <span>

namespace {

constexpr size_t kRecordBytes = 20;
// The marker sits at 0, after a cue's length (2), a record size (4), or both (6).
constexpr size_t kLongestLead = 6;
constexpr double kKmhPerMph = 1.609344;

struct GarminRecord {
    double latitude = 0.0;
    double longitude = 0.0;
    double kmh = 0.0;
};

uint32_t BigEndian(std::span<const unsigned char> bytes, size_t at, size_t count) {
    uint32_t value = 0;
    for (size_t i = 0; i < count; ++i) {
        value = value << 8 | bytes[at + i];
    }
    return value;
}

double Degrees(uint32_t semicircles) {
    return static_cast<double>(static_cast<int32_t>(semicircles)) * (180.0 / 2147483648.0);
}

// Where the marker is in the sample's first bytes; none when it is not there.
std::optional<size_t> MarkerAt(std::span<const unsigned char> head) {
    for (const size_t at : {0, 2, 4, 6}) {
        if (head.size() >= at + 4 && std::memcmp(head.data() + at, "PNDM", 4) == 0) {
            return at;
        }
    }
    return std::nullopt;
}

// The record of a sample; none when the marker is there but the record is cut short or
// holds a position off the globe.
std::optional<GarminRecord> RecordOf(std::span<const unsigned char> head, size_t marker) {
    if (head.size() < marker + kRecordBytes) {
        return std::nullopt;
    }
    const std::span<const unsigned char> record = head.subspan(marker, kRecordBytes);
    const GarminRecord read{Degrees(BigEndian(record, 12, 4)), Degrees(BigEndian(record, 16, 4)),
                            BigEndian(record, 8, 2) * kKmhPerMph};
    if (std::fabs(read.latitude) > 90.0) {
        return std::nullopt;
    }
    return read;
}

class GarminReader : public CameraReader {
public:
    std::string_view Family() const override { return "Garmin text track"; }

    bool Claims(ByteSource& bytes) const override {
        bool claims = false;
        ForEachSampleHead(bytes, [&](const TextSample&, std::span<const unsigned char> head) {
            claims = claims || MarkerAt(head).has_value();
        });
        return claims;
    }

    ReaderOutcome Read(const ReaderInput& input, const TrackStores& stores) const override {
        ReaderOutcome outcome;
        ForEachSampleHead(
            input.bytes, [&](const TextSample& sample, std::span<const unsigned char> head) {
                const std::optional<size_t> marker = MarkerAt(head);
                if (!marker) {
                    return;
                }
                outcome.found = true;
                const std::optional<GarminRecord> record = RecordOf(head, *marker);
                // Rounded to the millisecond first, as the engine times its cues.
                const double ms =
                    std::isfinite(sample.seconds) ? std::round(sample.seconds * 1000) : -1.0;
                if (!record || ms < 0 || ms / 1000 > stores.map.LastSecond()) {
                    if (!record) {
                        outcome.damagedAt = outcome.damagedAt.value_or(sample.offset);
                    }
                    return;
                }
                const int second = static_cast<int>(ms / 1000);
                // The records say nothing of a fix; a receiver without one leaves zeros.
                const bool fix = record->latitude != 0.0 || record->longitude != 0.0;
                stores.map.PutEntry(second, record->latitude, record->longitude, fix ? 'A' : 'V');
                stores.dial.SetSpeedRecord(second, TruncateToInt(record->kmh), 0);
                outcome.fix = outcome.fix || fix;
            });
        if (!outcome.fix) {
            outcome.why = outcome.found ? "no valid fix" : "no Garmin records";
        }
        return outcome;
    }

private:
    // The record may sit before the bytes a cue's length names, so each sample's first bytes
    // are read as they lie in the file. The walk keeps its tables apart from the source's
    // view, so reading here leaves it intact.
    template <typename Take> static void ForEachSampleHead(ByteSource& bytes, const Take& take) {
        ForEachMp4TextSample(bytes, [&](const TextSample& sample) {
            const size_t count =
                static_cast<size_t>(std::min<uint64_t>(sample.size, kLongestLead + kRecordBytes));
            take(sample, bytes.Read(sample.offset, count));
        });
    }
};

} // namespace

const CameraReader& GarminInClipReader() {
    static const GarminReader reader;
    return reader;
}
