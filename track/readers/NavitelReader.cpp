// Navitel, iBOX, Cobra and kin: top-level `gps0` boxes of one 32-byte record a second, a
// `gsen` box of g-sensor samples without times, and an `IDIT` box with the camera's clock
// at the start of the recording.
#include "track/readers/CameraReader.h"

#include "track/CGSampleStore.h"
#include "track/CMapTrackStore.h"
#include "track/CSpeedDialModel.h"
#include "track/Mp4Boxes.h"
#include "track/TrackLine.h"
#include "track/UtcTime.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

// As exiftool documents the record: little-endian DDMM.MMMM doubles for latitude and
// longitude (south and west negative), the altitude, whole km/h at 0x14, the date and time
// as six bytes from year 2000 at 0x16, and the course halved at 0x1c.
constexpr uint64_t kRecordBytes = 32;
constexpr uint64_t kRecordsPerRead = 128;
// A g-sensor sample: three signed bytes in sixteenths of a g.
constexpr uint64_t kSampleBytes = 3;
constexpr double kCountsPerG = 16.0;
// "YYYY-MM-DDThh:mm:ss" and a zone; anything longer in the box is not a time.
constexpr size_t kStampBytes = 32;

double LittleDouble(std::span<const unsigned char> bytes, size_t at) {
    uint64_t bits = 0;
    for (size_t i = 0; i < 8; ++i) {
        bits |= uint64_t{bytes[at + i]} << (8 * i);
    }
    return std::bit_cast<double>(bits);
}

// Signed degrees from a signed DDMM.MMMM, or nothing for what no receiver sends (a NaN,
// minutes past 59, more than `maxDegrees`).
std::optional<double> Degrees(double value, double maxDegrees) {
    if (!std::isfinite(value) || std::fabs(value) > maxDegrees * 100.0) {
        return std::nullopt;
    }
    const double whole = std::trunc(value / 100.0);
    const double minutes = value - whole * 100.0;
    const double degrees = whole + minutes / 60.0;
    if (std::fabs(minutes) >= 60.0 || std::fabs(degrees) > maxDegrees) {
        return std::nullopt;
    }
    return degrees;
}

enum class RecordRead { Damaged, Fix, NoFix };

struct Gps0Record {
    RecordRead read = RecordRead::Damaged;
    double latitude = 0.0;
    double longitude = 0.0;
    int speed = 0;
    int course = 0;
    int64_t utc = kUnknownUtc;
};

Gps0Record DecodeRecord(std::span<const unsigned char> record) {
    const double latitude = LittleDouble(record, 0);
    const double longitude = LittleDouble(record, 8);
    // Without a fix the cameras leave the position at zero.
    if (latitude == 0.0 && longitude == 0.0) {
        return {.read = RecordRead::NoFix};
    }
    const std::optional<double> lat = Degrees(latitude, 90.0);
    const std::optional<double> lon = Degrees(longitude, 180.0);
    const std::optional<int64_t> utc = UtcSeconds(2000 + record[0x16], record[0x17], record[0x18],
                                                  record[0x19], record[0x1a], record[0x1b]);
    if (!lat || !lon || !utc) {
        return {};
    }
    return {.read = RecordRead::Fix,
            .latitude = *lat,
            .longitude = *lon,
            .speed = record[0x14] | record[0x15] << 8,
            .course = record[0x1c] * 2,
            .utc = *utc};
}

// The camera's clock at second 0, when the box holds a time with its zone; a time without
// one could be any zone's, so it is no UTC time.
int64_t RecordingStart(ByteSource& bytes) {
    const std::optional<Mp4Box> box = FindMp4Box(bytes, "IDIT");
    if (!box) {
        return kUnknownUtc;
    }
    const std::span<const unsigned char> stamp =
        bytes.Read(box->payload,
                   static_cast<size_t>(std::min(box->end - box->payload, uint64_t{kStampBytes})));
    const std::string text(stamp.begin(), stamp.end());
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, zone = 0;
    char sign = 0;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d%c%4d", &year, &month, &day, &hour,
                    &minute, &second, &sign, &zone) != 8 ||
        (sign != '+' && sign != '-') || zone % 100 >= 60 || zone > 1400) {
        return kUnknownUtc;
    }
    const std::optional<int64_t> local = UtcSeconds(year, month, day, hour, minute, second);
    if (!local) {
        return kUnknownUtc;
    }
    const int64_t offset = (zone / 100 * 3600 + zone % 100 * 60) * (sign == '-' ? -1 : 1);
    return *local - offset;
}

// The samples carry no times: they are spread evenly over the seconds `gps0` covers, and
// each second takes the sample at its start.
void PutSamples(ByteSource& bytes, uint64_t gpsRecords, const TrackStores& stores) {
    const std::optional<Mp4Box> box = FindMp4Box(bytes, "gsen");
    if (!box || gpsRecords == 0) {
        return;
    }
    const uint64_t samples = (box->end - box->payload) / kSampleBytes;
    const uint64_t perSecond = std::max<uint64_t>(1, (samples + gpsRecords / 2) / gpsRecords);
    for (uint64_t second = 0; second < gpsRecords && second * perSecond < samples; ++second) {
        const std::span<const unsigned char> sample =
            bytes.Read(box->payload + second * perSecond * kSampleBytes, kSampleBytes);
        if (sample.size() < kSampleBytes) {
            return;
        }
        const auto g = [&](size_t axis) {
            return static_cast<signed char>(sample[axis]) / kCountsPerG;
        };
        const std::string line =
            EmbeddedTrackLine(static_cast<int>(second) * 1000, g(0), g(1), g(2));
        stores.chart.AddTrackLine(line.c_str());
    }
}

class NavitelReader : public CameraReader {
public:
    std::string_view Family() const override { return "Navitel gps0"; }
    // The Lamax S9 names its box alike but fills it with enciphered text records.
    bool Claims(ByteSource& bytes) const override {
        const std::optional<Mp4Box> box = FindMp4Box(bytes, "gps0");
        if (!box) {
            return false;
        }
        const std::span<const unsigned char> head = bytes.Read(box->payload + 2, 4);
        return !(head.size() == 4 && std::memcmp(head.data(), "\xf2\xe1\xf0\xee", 4) == 0);
    }
    ReaderOutcome Read(const ReaderInput& input, const TrackStores& stores) const override {
        const std::optional<Mp4Box> box = FindMp4Box(input.bytes, "gps0");
        if (!box) {
            return {.why = "no gps0 box"};
        }
        const int64_t start = RecordingStart(input.bytes);
        ReaderOutcome outcome;
        int second = 0;
        uint64_t at = box->payload;
        bool ended = false;
        while (!ended && box->end - at >= kRecordBytes && second <= stores.map.LastSecond()) {
            const uint64_t records = std::min((box->end - at) / kRecordBytes, kRecordsPerRead);
            const std::span<const unsigned char> bytes =
                input.bytes.Read(at, static_cast<size_t>(records * kRecordBytes));
            const uint64_t whole = bytes.size() / kRecordBytes;
            for (uint64_t k = 0; k < whole && second <= stores.map.LastSecond();
                 ++k, ++second, at += kRecordBytes) {
                const Gps0Record record =
                    DecodeRecord(bytes.subspan(k * kRecordBytes, kRecordBytes));
                outcome.found = true;
                if (record.read == RecordRead::Damaged) {
                    outcome.damagedAt = outcome.damagedAt.value_or(at);
                    continue;
                }
                const bool fix = record.read == RecordRead::Fix;
                outcome.fix = outcome.fix || fix;
                const int64_t clock = start == kUnknownUtc ? kUnknownUtc : start + second;
                stores.map.PutEntry(second, record.latitude, record.longitude, fix ? 'A' : 'V',
                                    fix ? record.utc : clock);
                stores.dial.SetSpeedRecord(second, record.speed, record.course);
            }
            // A short read is the end of what the file still holds.
            ended = whole < records;
        }
        PutSamples(input.bytes, static_cast<uint64_t>(second), stores);
        if (!outcome.fix) {
            outcome.why =
                outcome.found ? "no gps0 record with a fix" : "a gps0 box without records";
        }
        return outcome;
    }
};

} // namespace

const CameraReader& NavitelInClipReader() {
    static const NavitelReader reader;
    return reader;
}
