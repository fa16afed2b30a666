// The Vantrue N2S keeps its track in a timed-metadata track whose sample entry is `gpmd`, as
// GoPro's is, but each sample is a binary "FMAS" record of its own: read here, before the
// GPMF reader would take the track for its own.
#include "track/readers/CameraReader.h"

#include "track/CMapTrackStore.h"
#include "track/FreeGpsBlock.h"
#include "track/Mp4SampleTable.h"
#include "track/UtcTime.h"
#include "track/readers/BlockSecond.h"

#include <bit>
#include <cmath>
#include <cstring>
#include <map>

namespace {

// As exiftool documents the record: "FMAS" and four zeros, "SAMM" at 0x50; the date and time
// from 0x60 (a 16-bit year, then a byte each); three float accelerations at 0x6C; the status
// and the longitude's and latitude's hemisphere letters at 0x78; then for the longitude and
// for the latitude whole degrees, whole minutes and a 16-bit fraction of a minute (exiftool
// divides it by 6000, with a zero byte before the longitude's that it cannot explain), then
// whole mph and whole degrees of course as 16-bit words.
constexpr std::string_view kMagic{"FMAS\0\0\0\0", 8};
constexpr uint64_t kSammAt = 0x50;
constexpr uint64_t kRecordBytes = 0x88;
// exiftool will not read a record shorter than this.
constexpr uint64_t kMinSampleBytes = 160;
// Far more than a record; a larger sample is damage.
constexpr uint64_t kMaxSampleBytes = 1u << 16;
// A record ten times a second for over a day.
constexpr uint64_t kMaxSamples = 1u << 20;
constexpr double kKmhPerMph = 1.60934;
constexpr double kFractionPerMinute = 6000.0;

bool StartsFmas(std::span<const unsigned char> bytes) {
    return bytes.size() >= kMagic.size() &&
           std::memcmp(bytes.data(), kMagic.data(), kMagic.size()) == 0;
}

uint32_t U16(std::span<const unsigned char> r, size_t at) {
    return uint32_t{r[at]} | uint32_t{r[at + 1]} << 8;
}

float F32(std::span<const unsigned char> r, size_t at) {
    return std::bit_cast<float>(U16(r, at) | U16(r, at + 2) << 16);
}

// Degrees from whole degrees, whole minutes and the minute's fraction; nothing for minutes past
// 59 or more degrees than `maxDegrees`.
std::optional<double> Degrees(unsigned degrees, unsigned minutes, unsigned fraction,
                              double maxDegrees) {
    const double value = degrees + (minutes + fraction / kFractionPerMinute) / 60.0;
    if (minutes >= 60 || value > maxDegrees) {
        return std::nullopt;
    }
    return value;
}

// The record's second, or nothing when a field holds what no camera writes.
std::optional<FreeGpsBlock> DecodeRecord(std::span<const unsigned char> r, uint64_t offset) {
    if (!StartsFmas(r) || std::memcmp(r.data() + kSammAt, "SAMM", 4) != 0) {
        return std::nullopt;
    }
    FreeGpsBlock block;
    block.offset = offset;
    const std::optional<int64_t> utc =
        UtcSeconds(static_cast<int>(U16(r, 0x60)), r[0x62], r[0x63], r[0x64], r[0x65], r[0x66]);
    if (!utc) {
        return std::nullopt;
    }
    block.utcTime = *utc;
    block.x = F32(r, 0x6C);
    block.y = F32(r, 0x70);
    block.z = F32(r, 0x74);
    block.hasSensor = std::isfinite(block.x) && std::isfinite(block.y) && std::isfinite(block.z);
    if (r[0x78] != 'A') {
        return block; // no fix: the rest of the record means nothing
    }
    const unsigned char ew = r[0x79];
    const unsigned char ns = r[0x7A];
    const std::optional<double> lon = Degrees(r[0x7B], r[0x7C], U16(r, 0x7E), 180.0);
    const std::optional<double> lat = Degrees(r[0x80], r[0x81], U16(r, 0x82), 90.0);
    if ((ns != 'N' && ns != 'S') || (ew != 'E' && ew != 'W') || !lat || !lon) {
        return std::nullopt;
    }
    block.status = 'A';
    block.latitude = ns == 'S' ? -*lat : *lat;
    block.longitude = ew == 'W' ? -*lon : *lon;
    // Rounded to 0.01 km/h before the dial truncates, as the knots of other layouts are.
    block.speed = static_cast<float>(std::round(U16(r, 0x84) * kKmhPerMph * 100) / 100);
    block.course = static_cast<float>(U16(r, 0x86));
    return block;
}

class VantrueFmasReader : public CameraReader {
public:
    std::string_view Family() const override { return "Vantrue FMAS"; }

    bool Claims(ByteSource& bytes) const override {
        const std::optional<Mp4Track> track = FindMp4Track(bytes, "gpmd");
        if (!track) {
            return false;
        }
        bool fmas = false;
        ForEachMp4Sample(bytes, *track, 1, [&](const Mp4Sample& sample) {
            fmas = sample.size >= kMagic.size() &&
                   StartsFmas(bytes.Read(sample.offset, kMagic.size()));
            return false;
        });
        return fmas;
    }

    ReaderOutcome Read(const ReaderInput& input, const TrackStores& stores) const override {
        ReaderOutcome outcome;
        const std::optional<Mp4Track> track = FindMp4Track(input.bytes, "gpmd");
        if (!track || track->timescale == 0) {
            outcome.why = track ? "a gpmd track without a time scale" : "no gpmd track";
            return outcome;
        }
        // Several records may fall in one second: the one nearest its start stands for it.
        std::map<int, FreeGpsBlock> seconds;
        const uint64_t length = input.bytes.Length();
        const int last = stores.map.LastSecond();
        int records = 0;
        ForEachMp4Sample(input.bytes, *track, kMaxSamples, [&](const Mp4Sample& sample) {
            const uint64_t second = sample.time / track->timescale;
            if (second > static_cast<uint64_t>(last)) {
                return false;
            }
            std::optional<FreeGpsBlock> block;
            if (sample.size >= kMinSampleBytes && sample.size <= kMaxSampleBytes &&
                sample.offset < length && sample.size <= length - sample.offset) {
                const std::span<const unsigned char> bytes =
                    input.bytes.Read(sample.offset, kRecordBytes);
                if (bytes.size() < kRecordBytes) {
                    return false; // the clip shrank
                }
                block = DecodeRecord(bytes, sample.offset);
            }
            if (!block) {
                outcome.damagedAt = outcome.damagedAt.value_or(sample.offset);
                return true;
            }
            ++records;
            seconds.try_emplace(static_cast<int>(second), *block);
            return true;
        });
        outcome.found = records > 0;
        if (!outcome.found) {
            outcome.why = "no readable FMAS record";
            return outcome;
        }
        for (const auto& [second, block] : seconds) {
            PutBlockSecond(stores, second, block);
            outcome.fix = outcome.fix || block.status == 'A';
        }
        if (!outcome.fix) {
            outcome.why = std::to_string(records) + " FMAS records without a valid fix";
        }
        return outcome;
    }
};

} // namespace

const CameraReader& VantrueFmasInClipReader() {
    static const VantrueFmasReader reader;
    return reader;
}
