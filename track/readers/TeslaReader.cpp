// Tesla cars (firmware 2025.44.25 on, HW3 and later): each frame of a dashcam clip carries a
// `SeiMetadata` protobuf message in a user-data SEI unit, as Tesla's published dashcam.proto
// describes it: the speed in m/s (field 4, float), the position in degrees (11 and 12,
// doubles), the heading (13) and the linear accelerations in m/s² (14 to 16). The car's state
// beside them (gear 2, accelerator pedal 5, steering wheel angle 6, blinkers 7 and 8, brake
// 9, autopilot 10) no pane shows; it goes to the extras as written, enums by their names.
// The UUID in front of the message is a run of 0x42 bytes closed by 0x69, as Tesla's own
// extractor looks for it. The message holds no date or time, so the track has no UTC time.
#include "track/readers/CameraReader.h"

#include "track/CMapTrackStore.h"
#include "track/CameraExtras.h"
#include "track/readers/AvcSei.h"
#include "track/readers/BlockSecond.h"
#include "track/readers/NearestSecond.h"
#include "track/readers/ProtobufWire.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <string>
#include <vector>

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
    kGear = 2,
    kSpeed = 4,
    kPedal = 5,
    kSteering = 6,
    kBlinkerLeft = 7,
    kBlinkerRight = 8,
    kBrake = 9,
    kAutopilot = 10,
    kLatitude = 11,
    kLongitude = 12,
    kHeading = 13,
    kAccelX = 14,
    kAccelY = 15,
    kAccelZ = 16,
};

// The proto's enums, lower case and without the gear's prefix, at their numbers.
constexpr std::array<std::string_view, 4> kGears = {"park", "drive", "reverse", "neutral"};
constexpr std::array<std::string_view, 4> kAutopilotStates = {"none", "self_driving", "autosteer",
                                                              "tacc"};

// proto3 leaves out what is zero, so a field not written is park, 0, off or none.
struct CarState {
    uint64_t gear = 0;
    float pedal = 0.0f;
    float steering = 0.0f;
    bool blinkerLeft = false;
    bool blinkerRight = false;
    bool brake = false;
    uint64_t autopilot = 0;
};

struct TeslaFrame {
    FreeGpsBlock block;
    CarState car;
};

std::vector<std::string> ExtraColumns() {
    return {"gear",         "accelerator_pedal", "steering_angle", "brake",
            "blinker_left", "blinker_right",     "autopilot"};
}

// A value a newer car may add to an enum keeps its number rather than being lost.
std::string EnumText(uint64_t value, std::span<const std::string_view> names) {
    return value < names.size() ? std::string(names[value]) : std::to_string(value);
}

// The shortest text that reads back as the same float: the value exactly as the car wrote.
std::string FloatText(float value) {
    std::array<char, 32> text{};
    const auto [end, error] = std::to_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() ? std::string(text.data(), end) : std::string();
}

std::vector<std::string> ExtraValues(const CarState& car) {
    return {EnumText(car.gear, kGears),
            FloatText(car.pedal),
            FloatText(car.steering),
            car.brake ? "1" : "0",
            car.blinkerLeft ? "1" : "0",
            car.blinkerRight ? "1" : "0",
            EnumText(car.autopilot, kAutopilotStates)};
}

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
std::optional<TeslaFrame> Decode(std::span<const unsigned char> message, uint64_t offset) {
    TeslaFrame frame;
    FreeGpsBlock& block = frame.block;
    CarState& car = frame.car;
    // A varint field written as another wire type is damage.
    bool wrongWire = false;
    const auto varint = [&wrongWire](const ProtobufField& field) {
        wrongWire = wrongWire || field.wire != ProtobufField::Wire::Varint;
        return field.varint;
    };
    block.offset = offset;
    block.hasSensor = false;
    double accel[3] = {};
    double speed = 0.0;
    double heading = 0.0;
    ProtobufFields fields(message);
    while (const std::optional<ProtobufField> field = fields.Next()) {
        switch (field->number) {
        case kGear:
            car.gear = varint(*field);
            break;
        case kAutopilot:
            car.autopilot = varint(*field);
            break;
        case kBlinkerLeft:
            car.blinkerLeft = varint(*field) != 0;
            break;
        case kBlinkerRight:
            car.blinkerRight = varint(*field) != 0;
            break;
        case kBrake:
            car.brake = varint(*field) != 0;
            break;
        case kPedal:
            car.pedal = field->Float().value_or(NAN);
            break;
        case kSteering:
            car.steering = field->Float().value_or(NAN);
            break;
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
        std::isfinite(speed) && std::isfinite(heading) && std::isfinite(car.pedal) &&
        std::isfinite(car.steering) &&
        std::all_of(std::begin(accel), std::end(accel), [](double a) { return std::isfinite(a); });
    if (fields.Damaged() || wrongWire || !finite || !(std::fabs(block.latitude) <= 90.0) ||
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
    return frame;
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
        if (stores.extras != nullptr) {
            stores.extras->SetColumns(ExtraColumns());
        }
        NearestSecond<TeslaFrame> seconds(
            stores.map.LastSecond(), [&](int second, const TeslaFrame& frame) {
                PutBlockSecond(stores, second, frame.block);
                if (stores.extras != nullptr) {
                    stores.extras->Put(second, ExtraValues(frame.car));
                }
                outcome.fix = outcome.fix || frame.block.status == 'A';
            });
        const std::optional<uint64_t> walkDamage =
            ForEachAvcUserData(input.bytes, *avc, kMaxFrames, [&](const AvcUserData& data) {
                const std::optional<std::span<const unsigned char>> message =
                    TeslaMessage(data.payload);
                if (!message) {
                    return true;
                }
                outcome.found = true;
                const std::optional<TeslaFrame> frame = Decode(*message, data.offset);
                if (!frame) {
                    outcome.damagedAt = outcome.damagedAt.value_or(data.offset);
                    return true;
                }
                return seconds.Offer(data.seconds, *frame);
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
