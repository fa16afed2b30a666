// DJI Osmo Action 4 and 5: a timed-metadata track whose sample entry is `djmd`, a
// ProductMeta protobuf message with each frame. DJI's published dvtm_library.proto gives the
// messages; exiftool's notes on DJI's protobuf (from 13.x; 12.57 reads none of it) say where
// the Action cameras' proto files, "dvtm_ac203.proto" and "dvtm_ac204.proto" (named at
// 1-1-1), put them: the GpsBasic message at 3-4-2, whose field 1 holds the coordinate unit
// (0 radians, 1 degrees), latitude and longitude, field 3 the status (1 invalid) and 6-1 the
// time as "YYYY-MM-DD HH-MM-SS", taken as UTC as exiftool takes it. The cameras write no
// speed or course.
#include "track/readers/CameraReader.h"

#include "track/CMapTrackStore.h"
#include "track/Mp4SampleTable.h"
#include "track/UtcTime.h"
#include "track/readers/NearestSecond.h"
#include "track/readers/ProtobufWire.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <string>

namespace {

constexpr std::array<std::string_view, 2> kProtocols = {"dvtm_ac203.proto", "dvtm_ac204.proto"};
// A frame's message with its attitude samples stays far below this; a larger one is damage.
constexpr uint64_t kMaxSampleBytes = 1u << 20;
// A frame a second at 60 frames a second for over a day.
constexpr uint64_t kMaxSamples = uint64_t{1} << 23;
constexpr uint64_t kUnitDegrees = 1;
constexpr uint64_t kStatusInvalid = 1;
// "YYYY-MM-DD HH-MM-SS"; anything longer is not the camera's time.
constexpr size_t kMaxTimeBytes = 32;

struct DjmdFix {
    char status = 'V';
    double latitude = 0.0;
    double longitude = 0.0;
    int64_t utc = kUnknownUtc;
};

// Whether the message names one of the Action cameras' proto files; nothing when it names none.
std::optional<bool> KnownProtocol(std::span<const unsigned char> message) {
    bool damaged = false;
    const std::optional<ProtobufField> name = FindProtobufField(message, {1, 1, 1}, damaged);
    if (!name || name->wire != ProtobufField::Wire::Bytes) {
        return std::nullopt;
    }
    const std::string_view text(reinterpret_cast<const char*>(name->data.data()),
                                name->data.size());
    return std::find(kProtocols.begin(), kProtocols.end(), text) != kProtocols.end();
}

int64_t GpsTime(std::span<const unsigned char> bytes) {
    if (bytes.size() > kMaxTimeBytes) {
        return kUnknownUtc;
    }
    const std::string text(bytes.begin(), bytes.end());
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    char end = 0;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2d %2d-%2d-%2d%c", &year, &month, &day, &hour, &minute,
                    &second, &end) != 6) {
        return kUnknownUtc;
    }
    return UtcSeconds(year, month, day, hour, minute, second).value_or(kUnknownUtc);
}

// The frame's fix, nothing when the frame has no GPS message, or `damaged` set.
std::optional<DjmdFix> ReadGps(std::span<const unsigned char> message, bool& damaged) {
    const std::optional<ProtobufField> basic = FindProtobufField(message, {3, 4, 2}, damaged);
    if (damaged || !basic) {
        return std::nullopt;
    }
    damaged = basic->wire != ProtobufField::Wire::Bytes;
    uint64_t unit = 0;
    uint64_t status = 0;
    std::optional<double> latitude = 0.0;
    std::optional<double> longitude = 0.0;
    int64_t utc = kUnknownUtc;
    ProtobufFields fields(basic->data);
    while (const std::optional<ProtobufField> field = fields.Next()) {
        if (field->number == 1 && field->wire == ProtobufField::Wire::Bytes) {
            ProtobufFields coordinates(field->data);
            while (const std::optional<ProtobufField> part = coordinates.Next()) {
                if (part->number == 1) {
                    unit = part->varint;
                } else if (part->number == 2) {
                    latitude = part->Double();
                } else if (part->number == 3) {
                    longitude = part->Double();
                }
            }
            damaged = damaged || coordinates.Damaged();
        } else if (field->number == 3) {
            status = field->varint;
        } else if (field->number == 6 && field->wire == ProtobufField::Wire::Bytes) {
            const std::optional<ProtobufField> time = FindProtobufField(field->data, {1}, damaged);
            utc = time && time->wire == ProtobufField::Wire::Bytes ? GpsTime(time->data)
                                                                   : kUnknownUtc;
        }
    }
    damaged = damaged || fields.Damaged();
    if (damaged || !latitude || !longitude) {
        damaged = true;
        return std::nullopt;
    }
    const double scale = unit == kUnitDegrees ? 1.0 : 180.0 / std::numbers::pi;
    DjmdFix fix{.latitude = *latitude * scale, .longitude = *longitude * scale};
    if (!(std::fabs(fix.latitude) <= 90.0) || !(std::fabs(fix.longitude) <= 180.0)) {
        damaged = true;
        return std::nullopt;
    }
    const bool valid = status != kStatusInvalid && (fix.latitude != 0.0 || fix.longitude != 0.0);
    if (valid) {
        fix.status = 'A';
        fix.utc = utc;
    }
    return fix;
}

class DjiDjmdReader : public CameraReader {
public:
    std::string_view Family() const override { return "DJI djmd"; }

    bool Claims(ByteSource& bytes) const override {
        const std::optional<Mp4Track> track = FindMp4Track(bytes, "djmd");
        bool known = false;
        if (track) {
            ForEachMp4Sample(bytes, *track, 1, [&](const Mp4Sample& sample) {
                if (sample.size <= kMaxSampleBytes) {
                    known =
                        KnownProtocol(bytes.Read(sample.offset, static_cast<size_t>(sample.size)))
                            .value_or(false);
                }
                return false;
            });
        }
        return known;
    }

    ReaderOutcome Read(const ReaderInput& input, const TrackStores& stores) const override {
        ReaderOutcome outcome;
        const std::optional<Mp4Track> track = FindMp4Track(input.bytes, "djmd");
        if (!track || track->timescale == 0) {
            outcome.why = track ? "a djmd track without a time scale" : "no djmd track";
            return outcome;
        }
        const double scale = track->timescale;
        std::optional<bool> known;
        NearestSecond<DjmdFix> seconds(
            stores.map.LastSecond(), [&](int second, const DjmdFix& fix) {
                stores.map.PutEntry(second, fix.latitude, fix.longitude, fix.status, fix.utc);
                outcome.fix = outcome.fix || fix.status == 'A';
            });
        const auto damage = [&](uint64_t at) {
            outcome.damagedAt = outcome.damagedAt.value_or(at);
        };
        const auto take = [&](const Mp4Sample& sample, std::span<const unsigned char> message) {
            if (!known) {
                known = KnownProtocol(message);
                if (known && !*known) {
                    return false;
                }
            }
            bool damaged = false;
            const std::optional<DjmdFix> fix = ReadGps(message, damaged);
            if (damaged) {
                damage(sample.offset);
            }
            if (!known || !fix) {
                return true;
            }
            outcome.found = true;
            return seconds.Offer(static_cast<double>(sample.time) / scale, *fix);
        };
        ForEachMp4SampleBytes(input.bytes, *track, kMaxSamples, kMaxSampleBytes, take, damage);
        seconds.Finish();
        if (known && !*known) {
            outcome.why = "a djmd track of another DJI model";
        } else if (!outcome.found) {
            outcome.why = "no djmd GPS message";
        } else if (!outcome.fix) {
            outcome.why = "no djmd GPS message with a fix";
        }
        return outcome;
    }
};

} // namespace

const CameraReader& DjiDjmdInClipReader() {
    static const DjiDjmdReader reader;
    return reader;
}
