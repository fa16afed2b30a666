// 70mai cameras: the top-level `GPS ` box the Pro generation writes into the clip, and the
// GPSData*.txt logs that cover hours of driving, kept in a GPS folder near the clips
// (SeventyMaiLog says where and how a clip takes its records).
#include "track/readers/CameraReader.h"

#include "track/CMapTrackStore.h"
#include "track/CSpeedDialModel.h"
#include "track/ClipFolder.h"
#include "track/Mp4Boxes.h"
#include "track/SeventyMaiLog.h"
#include "track/Truncate.h"

#include <algorithm>
#include <array>

namespace {

// 36-byte little-endian records, as exiftool documents the box: two words of 1, the
// record's second, the speed in km/h × 1000, then a hemisphere letter and a 32-bit
// DDMM.mmm × 1000 for the latitude and again for the longitude, and ten bytes unknown.
constexpr uint64_t kRecordBytes = 36;
// Records read at once: the box's size comes from the file, so it bounds only the walk.
constexpr uint64_t kRecordsPerRead = 128;

uint32_t Little32(std::span<const unsigned char> bytes, size_t at) {
    return uint32_t{bytes[at]} | uint32_t{bytes[at + 1]} << 8 | uint32_t{bytes[at + 2]} << 16 |
           uint32_t{bytes[at + 3]} << 24;
}

// Degrees from DDMM.mmm × 1000, or a negative number for what no receiver sends.
double DegreesFromThousandths(uint32_t value, double maxDegrees) {
    const uint32_t degrees = value / 100'000;
    const double minutes = (value % 100'000) / 1000.0;
    if (minutes >= 60.0 || degrees + minutes / 60.0 > maxDegrees) {
        return -1.0;
    }
    return degrees + minutes / 60.0;
}

enum class RecordRead { End, Damaged, Fix, NoFix };

struct BoxRecord {
    RecordRead read = RecordRead::End;
    double latitude = 0.0;
    double longitude = 0.0;
    double speed = 0.0;
};

BoxRecord DecodeRecord(std::span<const unsigned char> record) {
    if (std::all_of(record.begin(), record.end(), [](unsigned char b) { return b == 0; })) {
        return {};
    }
    BoxRecord decoded{.read = RecordRead::Damaged};
    const unsigned char ns = record[16];
    const unsigned char ew = record[21];
    if ((ns != 'N' && ns != 'S') || (ew != 'E' && ew != 'W')) {
        return decoded;
    }
    const uint32_t latitude = Little32(record, 17);
    const uint32_t longitude = Little32(record, 22);
    const double lat = DegreesFromThousandths(latitude, 90.0);
    const double lon = DegreesFromThousandths(longitude, 180.0);
    if (lat < 0.0 || lon < 0.0) {
        return decoded;
    }
    // No status field: a camera without a fix has no position to write.
    decoded.read = latitude == 0 && longitude == 0 ? RecordRead::NoFix : RecordRead::Fix;
    decoded.latitude = ns == 'S' ? -lat : lat;
    decoded.longitude = ew == 'W' ? -lon : lon;
    decoded.speed = Little32(record, 12) / 1000.0;
    return decoded;
}

// The box holds no fix times: record k is the clip's second k.
class SeventyMaiBoxReader : public CameraReader {
public:
    std::string_view Family() const override { return "70mai GPS box"; }
    bool Claims(ByteSource& bytes) const override { return FindMp4Box(bytes, "GPS ").has_value(); }
    ReaderOutcome Read(const ReaderInput& input, const TrackStores& stores) const override {
        const std::optional<Mp4Box> box = FindMp4Box(input.bytes, "GPS ");
        if (!box) {
            return {.why = "no 70mai GPS box"};
        }
        ReaderOutcome outcome;
        int second = 0;
        uint64_t at = box->payload;
        bool ended = false;
        while (!ended && box->end - at >= kRecordBytes && second <= stores.map.LastSecond()) {
            const uint64_t records = std::min((box->end - at) / kRecordBytes, kRecordsPerRead);
            const std::span<const unsigned char> bytes =
                input.bytes.Read(at, static_cast<size_t>(records * kRecordBytes));
            const uint64_t whole = bytes.size() / kRecordBytes;
            for (uint64_t k = 0; k < whole && !ended; ++k, ++second, at += kRecordBytes) {
                const BoxRecord record =
                    DecodeRecord(bytes.subspan(k * kRecordBytes, kRecordBytes));
                switch (record.read) {
                case RecordRead::End:
                    ended = true;
                    break;
                case RecordRead::Damaged:
                    outcome.found = true;
                    outcome.damagedAt = outcome.damagedAt.value_or(at);
                    break;
                case RecordRead::Fix:
                case RecordRead::NoFix:
                    outcome.found = true;
                    outcome.fix = outcome.fix || record.read == RecordRead::Fix;
                    stores.map.PutEntry(second, record.latitude, record.longitude,
                                        record.read == RecordRead::Fix ? 'A' : 'V');
                    stores.dial.SetSpeedRecord(second, TruncateToInt(record.speed), 0);
                    break;
                }
            }
            // A short read is the end of what the file still holds.
            ended = ended || whole < records;
        }
        if (!outcome.fix) {
            outcome.why = outcome.found ? "no record of the 70mai GPS box with a fix"
                                        : "a 70mai GPS box without records";
        }
        return outcome;
    }
};

class SeventyMaiLogsReader : public CameraReader {
public:
    std::string_view Family() const override { return "70mai logs"; }
    bool ReadsBeside() const override { return true; }
    std::optional<std::string> FileBeside(const ClipFolder& folder) const override {
        const std::vector<std::string> logs = SeventyMaiLogsFor(folder);
        if (logs.empty()) {
            return std::nullopt;
        }
        return logs.front();
    }
    bool Claims(ByteSource& /*bytes*/) const override { return true; }
    // Every log is looked through, not only the one named: a clip may span two.
    ReaderOutcome Read(const ReaderInput& input, const TrackStores& stores) const override {
        if (input.folder == nullptr) {
            return {.why = "no folder to find the logs in"};
        }
        ReaderOutcome outcome{.found = true};
        outcome.fix = LoadSeventyMaiTrack(*input.folder, stores);
        if (!outcome.fix) {
            outcome.why = "no 70mai log with a fix inside the clip";
        }
        return outcome;
    }
};

} // namespace

const CameraReader& SeventyMaiInClipReader() {
    static const SeventyMaiBoxReader reader;
    return reader;
}

const CameraReader& SeventyMaiBesideReader() {
    static const SeventyMaiLogsReader reader;
    return reader;
}
