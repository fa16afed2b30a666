// Sony cameras (ILCE-7S, RX100 VI, FDR-X3000 and others with a GPS receiver or a phone's
// position) write an `rtmd` timed-metadata track, a sample a frame, laid out as exiftool's
// notes on it describe: big-endian, a header whose length opens the sample, then tags of a
// 16-bit id and a 16-bit length before their value. A 0x060e tag is a 16-byte label (its id
// and length included), a 0x8300 tag a set whose tags follow it, and a zero id ends the
// sample. The GPS tags are the Exif GPS tags with 0x8500 added to their ids; the speed and
// course of the Exif set are not among those exiftool has seen there, so none are read.
// Second s takes the fix of the sample nearest it within half a second.
#include "track/readers/CameraReader.h"

#include "track/CMapTrackStore.h"
#include "track/Mp4Boxes.h"
#include "track/Mp4SampleTable.h"
#include "track/UtcTime.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <map>
#include <string>

namespace {

constexpr uint64_t kMaxSampleBytes = 1u << 16;
// A sample a frame, at 120 frames a second, for a day.
constexpr uint64_t kMaxSamples = 1u << 24;
constexpr unsigned kLabel = 0x060e;
constexpr unsigned kLabelBytes = 16;
constexpr unsigned kSet = 0x8300;
constexpr unsigned kLatitudeRef = 0x8501;
constexpr unsigned kLatitude = 0x8502;
constexpr unsigned kLongitudeRef = 0x8503;
constexpr unsigned kLongitude = 0x8504;
constexpr unsigned kTimeStamp = 0x8507;
constexpr unsigned kStatus = 0x8509;
constexpr unsigned kDateStamp = 0x851d;
constexpr size_t kTripleBytes = 24;
// "YYYY:MM:DD"
constexpr size_t kDateBytes = 10;

unsigned Big16(std::span<const unsigned char> bytes, size_t at) {
    return static_cast<unsigned>(bytes[at] << 8 | bytes[at + 1]);
}

// Three unsigned rationals (degrees, minutes and seconds, or hours, minutes and seconds);
// nothing when a denominator is zero.
std::optional<std::array<double, 3>> Triple(std::span<const unsigned char> value) {
    if (value.size() != kTripleBytes) {
        return std::nullopt;
    }
    std::array<double, 3> values{};
    for (size_t k = 0; k < 3; ++k) {
        const auto denominator = BigEndian(value, 8 * k + 4, 4);
        if (denominator == 0) {
            return std::nullopt;
        }
        values[k] =
            static_cast<double>(BigEndian(value, 8 * k, 4)) / static_cast<double>(denominator);
    }
    return values;
}

std::optional<double> Degrees(std::span<const unsigned char> value) {
    const auto values = Triple(value);
    if (!values) {
        return std::nullopt;
    }
    return (*values)[0] + (*values)[1] / 60.0 + (*values)[2] / 3600.0;
}

std::optional<double> SecondsOfDay(std::span<const unsigned char> value) {
    const auto values = Triple(value);
    if (!values) {
        return std::nullopt;
    }
    return (*values)[0] * 3600.0 + (*values)[1] * 60.0 + (*values)[2];
}

struct Tags {
    char latitudeRef = 0;
    char longitudeRef = 0;
    char status = 0;
    std::optional<double> latitude;
    std::optional<double> longitude;
    std::optional<double> timeOfDay; // seconds
    std::string_view date;
};

struct Fix {
    double latitude = 0.0;
    double longitude = 0.0;
    int64_t utc = kUnknownUtc;
};

enum class SampleRead { Damaged, NoFix, Fix };

// The sample's tags; Damaged when a tag runs past the sample's end.
SampleRead ReadTags(std::span<const unsigned char> bytes, Tags& tags) {
    if (bytes.size() < 2) {
        return SampleRead::Damaged;
    }
    for (size_t at = Big16(bytes, 0); at + 4 <= bytes.size();) {
        const unsigned id = Big16(bytes, at);
        if (id == 0) {
            break;
        }
        if (id == kLabel) {
            at += kLabelBytes;
            continue;
        }
        const size_t length = Big16(bytes, at + 2);
        at += 4;
        if (id == kSet) {
            continue;
        }
        if (length > bytes.size() - at) {
            return SampleRead::Damaged;
        }
        const std::span<const unsigned char> value = bytes.subspan(at, length);
        at += length;
        const char first = value.empty() ? '\0' : static_cast<char>(value[0]);
        switch (id) {
        case kLatitudeRef:
            tags.latitudeRef = first;
            break;
        case kLongitudeRef:
            tags.longitudeRef = first;
            break;
        case kStatus:
            tags.status = first;
            break;
        case kLatitude:
            tags.latitude = Degrees(value);
            break;
        case kLongitude:
            tags.longitude = Degrees(value);
            break;
        case kTimeStamp:
            tags.timeOfDay = SecondsOfDay(value);
            break;
        case kDateStamp:
            tags.date = {reinterpret_cast<const char*>(value.data()), value.size()};
            break;
        default:
            break;
        }
    }
    return SampleRead::NoFix;
}

// The UTC time of a date stamp and a time of day, whole seconds; unknown when either is
// missing or out of range.
int64_t UtcOf(std::string_view date, std::optional<double> timeOfDay) {
    int year = 0, month = 0, day = 0;
    if (!timeOfDay || !(*timeOfDay >= 0.0 && *timeOfDay < 86400.0) || date.size() < kDateBytes ||
        std::sscanf(std::string(date.substr(0, kDateBytes)).c_str(), "%4d:%2d:%2d", &year, &month,
                    &day) != 3) {
        return kUnknownUtc;
    }
    const int seconds = static_cast<int>(*timeOfDay);
    return UtcSeconds(year, month, day, seconds / 3600, seconds / 60 % 60, seconds % 60)
        .value_or(kUnknownUtc);
}

// A fix where the sample has both coordinates and their references and no void status;
// Damaged where those say what no receiver sends.
SampleRead FixOf(const Tags& tags, Fix& fix) {
    if (!tags.latitude || !tags.longitude || tags.status == 'V') {
        return SampleRead::NoFix;
    }
    const bool south = tags.latitudeRef == 'S';
    const bool west = tags.longitudeRef == 'W';
    if ((!south && tags.latitudeRef != 'N') || (!west && tags.longitudeRef != 'E') ||
        !(*tags.latitude <= 90.0) || !(*tags.longitude <= 180.0)) {
        return SampleRead::Damaged;
    }
    fix.latitude = south ? -*tags.latitude : *tags.latitude;
    fix.longitude = west ? -*tags.longitude : *tags.longitude;
    fix.utc = UtcOf(tags.date, tags.timeOfDay);
    return SampleRead::Fix;
}

class SonyRtmdReader : public CameraReader {
public:
    std::string_view Family() const override { return "Sony rtmd"; }

    bool Claims(ByteSource& bytes) const override {
        return FindMp4Track(bytes, "rtmd").has_value();
    }

    ReaderOutcome Read(const ReaderInput& input, const TrackStores& stores) const override {
        ReaderOutcome outcome;
        const std::optional<Mp4Track> track = FindMp4Track(input.bytes, "rtmd");
        if (!track || track->timescale == 0) {
            outcome.why = track ? "an rtmd track without a time scale" : "no rtmd track";
            return outcome;
        }
        const int lastSecond = stores.map.LastSecond();
        std::map<int, std::pair<double, Fix>> seconds;
        const auto damage = [&](uint64_t at) {
            outcome.damagedAt = outcome.damagedAt.value_or(at);
        };
        const auto take = [&](const Mp4Sample& sample, std::span<const unsigned char> bytes) {
            const double time = static_cast<double>(sample.time) / track->timescale;
            const double nearest = std::floor(time + 0.5);
            if (nearest > lastSecond) {
                return false;
            }
            Tags tags;
            Fix fix;
            SampleRead read = ReadTags(bytes, tags);
            read = read == SampleRead::Damaged ? read : FixOf(tags, fix);
            if (read == SampleRead::Damaged) {
                damage(sample.offset);
                return true;
            }
            // Cameras without a position write the track too, without GPS tags: such a
            // clip is left to the other readers.
            outcome.found = outcome.found || tags.latitude || tags.longitude || tags.status != 0;
            const double distance = std::fabs(time - nearest);
            if (read == SampleRead::Fix && nearest >= 0.0) {
                auto [slot, added] = seconds.try_emplace(static_cast<int>(nearest), distance, fix);
                if (!added && distance < slot->second.first) {
                    slot->second = {distance, fix};
                }
            }
            return true;
        };
        ForEachMp4SampleBytes(input.bytes, *track, kMaxSamples, kMaxSampleBytes, take, damage);
        outcome.found = outcome.found || outcome.damagedAt.has_value();
        for (const auto& [second, kept] : seconds) {
            const Fix& fix = kept.second;
            stores.map.PutEntry(second, fix.latitude, fix.longitude, 'A', fix.utc);
            outcome.fix = true;
        }
        if (!outcome.found) {
            outcome.why = "an rtmd track without GPS tags";
        } else if (!outcome.fix) {
            outcome.why = "no rtmd sample with a GPS fix";
        }
        return outcome;
    }
};

} // namespace

const CameraReader& SonyRtmdTrackReader() {
    static const SonyRtmdReader reader;
    return reader;
}
