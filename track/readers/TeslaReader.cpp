// Tesla cars (firmware 2025.44.25 on, HW3 and later): each frame of a dashcam clip carries a
// `SeiMetadata` protobuf message in a user-data SEI unit, as Tesla's published dashcam.proto
// describes it: the speed in m/s (field 4, float), the position in degrees (11 and 12,
// doubles), the heading (13) and the linear accelerations in m/s² (14 to 16). The UUID in
// front of the message is a run of 0x42 bytes closed by 0x69, as Tesla's own extractor looks
// for it. The message holds no date or time, so the track has no UTC time.
#include "track/readers/CameraReader.h"

#include "track/CMapTrackStore.h"
#include "track/readers/AvcSei.h"
#include "track/readers/BlockSecond.h"
#include "track/readers/NearestSecond.h"
#include "track/readers/ProtobufWire.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr unsigned char kUuidFill = 0x42;
constexpr unsigned char kUuidEnd = 0x69;
constexpr double kKmhPerMps = 3.6;
constexpr double kStandardGravity = 9.80665;
// A frame a second at 60 frames a second for over a day.
constexpr uint64_t kMaxFrames = uint64_t{1} << 23;
// A clip that starts with a parked car may open with frames without a message.
constexpr uint64_t kClaimFrames = 8;

enum Field : uint32_t {
    kSpeed = 4,
    kLatitude = 11,
    kLongitude = 12,
    kHeading = 13,
    kAccelX = 14,
    kAccelY = 15,
    kAccelZ = 16,
};

// The protobuf message after Tesla's UUID, or nothing when the payload is someone else's.
std::optional<std::span<const unsigned char>> TeslaMessage(std::span<const unsigned char> payload) {
    size_t fill = 0;
    while (fill < payload.size() && payload[fill] == kUuidFill) {
        ++fill;
    }
    if (fill == 0 || fill >= payload.size() || payload[fill] != kUuidEnd) {
        return std::nullopt;
    }
    return payload.subspan(fill + 1);
}

// The frame's record, or nothing when its message is damaged or holds values no car gives.
std::optional<FreeGpsBlock> Decode(std::span<const unsigned char> message, uint64_t offset) {
    FreeGpsBlock block;
    block.offset = offset;
    block.hasSensor = false;
    double accel[3] = {};
    double speed = 0.0;
    double heading = 0.0;
    ProtobufFields fields(message);
    while (const std::optional<ProtobufField> field = fields.Next()) {
        switch (field->number) {
        case kSpeed:
            speed = field->Float().value_or(NAN);
            break;
        case kLatitude:
            block.latitude = field->Double().value_or(NAN);
            break;
        case kLongitude:
            block.longitude = field->Double().value_or(NAN);
            break;
        case kHeading:
            heading = field->Double().value_or(NAN);
            break;
        case kAccelX:
        case kAccelY:
        case kAccelZ:
            accel[field->number - kAccelX] = field->Double().value_or(NAN);
            block.hasSensor = true;
            break;
        default:
            break;
        }
    }
    const bool finite =
        std::isfinite(speed) && std::isfinite(heading) &&
        std::all_of(std::begin(accel), std::end(accel), [](double a) { return std::isfinite(a); });
    if (fields.Damaged() || !finite || !(std::fabs(block.latitude) <= 90.0) ||
        !(std::fabs(block.longitude) <= 180.0)) {
        return std::nullopt;
    }
    // proto3 leaves out what is zero: a car without a position writes neither coordinate.
    block.status = block.latitude != 0.0 || block.longitude != 0.0 ? 'A' : 'V';
    block.speed = static_cast<float>(speed * kKmhPerMps);
    const double course = std::fmod(heading, 360.0);
    block.course = static_cast<float>(course < 0.0 ? course + 360.0 : course);
    block.x = accel[0] / kStandardGravity;
    block.y = accel[1] / kStandardGravity;
    block.z = accel[2] / kStandardGravity;
    return block;
}

class TeslaReader : public CameraReader {
public:
    std::string_view Family() const override { return "Tesla SEI"; }

    bool Claims(ByteSource& bytes) const override {
        const std::optional<AvcTrack> avc = FindAvcTrack(bytes);
        bool tesla = false;
        if (avc) {
            ForEachAvcUserData(bytes, *avc, kClaimFrames, [&](const AvcUserData& data) {
                tesla = TeslaMessage(data.payload).has_value();
                return !tesla;
            });
        }
        return tesla;
    }

    ReaderOutcome Read(const ReaderInput& input, const TrackStores& stores) const override {
        ReaderOutcome outcome;
        const std::optional<AvcTrack> avc = FindAvcTrack(input.bytes);
        if (!avc) {
            outcome.why = "no H.264 video track";
            return outcome;
        }
        NearestSecond<FreeGpsBlock> seconds(stores.map.LastSecond(),
                                            [&](int second, const FreeGpsBlock& block) {
                                                PutBlockSecond(stores, second, block);
                                                outcome.fix = outcome.fix || block.status == 'A';
                                            });
        const std::optional<uint64_t> walkDamage =
            ForEachAvcUserData(input.bytes, *avc, kMaxFrames, [&](const AvcUserData& data) {
                const std::optional<std::span<const unsigned char>> message =
                    TeslaMessage(data.payload);
                if (!message) {
                    return true;
                }
                outcome.found = true;
                const std::optional<FreeGpsBlock> block = Decode(*message, data.offset);
                if (!block) {
                    outcome.damagedAt = outcome.damagedAt.value_or(data.offset);
                    return true;
                }
                return seconds.Offer(data.seconds, *block);
            });
        seconds.Finish();
        if (walkDamage && (!outcome.damagedAt || *walkDamage < *outcome.damagedAt)) {
            outcome.damagedAt = walkDamage;
        }
        if (!outcome.found) {
            outcome.why = "no Tesla SEI message";
        } else if (!outcome.fix) {
            outcome.why = "no Tesla SEI message with a position";
        }
        return outcome;
    }
};

} // namespace

const CameraReader& TeslaInClipReader() {
    static const TeslaReader reader;
    return reader;
}
