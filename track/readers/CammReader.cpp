// Google's camera motion metadata: a timed-metadata track whose sample entry is `camm`, as
// the Insta360 Pro and other 360-degree cameras write it. A sample holds one or more
// little-endian packets, each a reserved 16-bit word, its 16-bit type and a fixed number of
// values for that type. Type 6 is a full GPS fix (time from the GPS epoch, fix type,
// latitude, longitude, velocities east and north in m/s), type 5 a position alone, type 3
// an acceleration in m/s^2; the rest (orientation, gyroscope, exposure, magnetic field) have
// nothing the stores show and are stepped over. Every packet takes its sample's time, and
// second s takes the fix and the acceleration nearest to it within half a second.
#include "track/readers/CameraReader.h"

#include "track/CGSampleStore.h"
#include "track/CMapTrackStore.h"
#include "track/CSpeedDialModel.h"
#include "track/Mp4ClipTime.h"
#include "track/Mp4SampleTable.h"
#include "track/TrackLine.h"
#include "track/Truncate.h"

#include <array>
#include <bit>
#include <cmath>
#include <map>
#include <numbers>
#include <string>

namespace {

// A packet's bytes, its 4-byte head included, by type; 0 for no known type.
constexpr std::array<uint64_t, 8> kPacketBytes{16, 12, 16, 16, 16, 28, 60, 16};
constexpr uint64_t kMaxSampleBytes = 1u << 16;
// Hundreds of packets a second for days.
constexpr uint64_t kMaxSamples = 1u << 24;
constexpr double kStandardGravity = 9.80665;
// Beyond any vehicle's: a reading past them is damage.
constexpr double kMaxG = 64.0;
constexpr double kMaxSpeed = 1000.0; // m/s
// Google's description counts fix times from the GPS epoch (1980-01-06); exiftool has seen
// cameras count from 1970 and tells them apart by the clip's creation time: a fix time more
// than five years before it was counted from 1980. Leap seconds are not added, as exiftool
// adds none.
constexpr int64_t kGpsEpochToUnix = 315'964'800;
constexpr double kFiveYears = 5.0 * 365 * 24 * 3600;

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

float LittleFloat(std::span<const unsigned char> bytes, size_t at) {
    return std::bit_cast<float>(Little32(bytes, at));
}

struct Fix {
    double latitude = 0.0;
    double longitude = 0.0;
    std::optional<std::pair<double, double>> velocity; // east, north in m/s
    std::optional<double> gpsTime;
};

struct Slot {
    double fixDistance = 1.0;
    std::optional<Fix> fix;
    double accelDistance = 1.0;
    std::array<double, 3> accel{};
};

// What no receiver sends: a position off the globe, a speed above any aircraft's.
bool Plausible(const Fix& fix) {
    const auto slow = [](double speed) { return std::fabs(speed) <= kMaxSpeed; };
    return std::fabs(fix.latitude) <= 90.0 && std::fabs(fix.longitude) <= 180.0 &&
           (!fix.velocity || (slow(fix.velocity->first) && slow(fix.velocity->second)));
}

class CammReader : public CameraReader {
public:
    std::string_view Family() const override { return "camm track"; }

    bool Claims(ByteSource& bytes) const override {
        return FindMp4Track(bytes, "camm").has_value();
    }

    ReaderOutcome Read(const ReaderInput& input, const TrackStores& stores) const override {
        ReaderOutcome outcome;
        const std::optional<Mp4Track> track = FindMp4Track(input.bytes, "camm");
        if (!track || track->timescale == 0) {
            outcome.why = track ? "a camm track without a time scale" : "no camm track";
            return outcome;
        }
        const int lastSecond = stores.map.LastSecond();
        std::map<int, Slot> slots;
        const auto damage = [&](uint64_t at) {
            outcome.damagedAt = outcome.damagedAt.value_or(at);
        };
        const auto take = [&](const Mp4Sample& sample, std::span<const unsigned char> bytes) {
            const double time = static_cast<double>(sample.time) / track->timescale;
            const double nearest = std::floor(time + 0.5);
            if (nearest > lastSecond) {
                return false;
            }
            if (nearest < 0.0) {
                return true;
            }
            Slot& slot = slots[static_cast<int>(nearest)];
            const double distance = std::fabs(time - nearest);
            if (const std::optional<uint64_t> bad = ReadPackets(bytes, distance, slot, outcome)) {
                outcome.damagedAt = outcome.damagedAt.value_or(sample.offset + *bad);
            }
            return true;
        };
        ForEachMp4SampleBytes(input.bytes, *track, kMaxSamples, kMaxSampleBytes, take, damage);
        Place(slots, ReadClipTime(input.bytes), stores, outcome);
        outcome.found = outcome.found || outcome.damagedAt.has_value();
        if (!outcome.found) {
            outcome.why = "no camm GPS or acceleration packet";
        } else if (!outcome.fix) {
            outcome.why = "no camm GPS packet with a fix";
        }
        return outcome;
    }

private:
    // Reads the sample's packets into its second's slot; where one is damaged, its place in
    // the sample, and the rest of the sample is not read.
    static std::optional<uint64_t> ReadPackets(std::span<const unsigned char> bytes,
                                               double distance, Slot& slot,
                                               ReaderOutcome& outcome) {
        for (size_t at = 0; at < bytes.size();) {
            if (bytes.size() - at < 4) {
                return at;
            }
            const unsigned type = bytes[at + 2] | bytes[at + 3] << 8;
            if (type >= kPacketBytes.size() || bytes.size() - at < kPacketBytes[type]) {
                return at;
            }
            const std::span<const unsigned char> packet = bytes.subspan(at, kPacketBytes[type]);
            at += kPacketBytes[type];
            // Orientation, exposure and the like alone leave the clip to the other readers.
            outcome.found = outcome.found || type == 3 || type == 5 || type == 6;
            if (type == 3) {
                std::array<double, 3> g{};
                for (size_t axis = 0; axis < 3; ++axis) {
                    g[axis] = LittleFloat(packet, 4 + 4 * axis) / kStandardGravity;
                    if (!(std::fabs(g[axis]) <= kMaxG)) {
                        return at - packet.size();
                    }
                }
                if (distance < slot.accelDistance) {
                    slot.accelDistance = distance;
                    slot.accel = g;
                }
            } else if (type == 5 || type == 6) {
                std::optional<Fix> fix = type == 5 ? Position(packet) : FullFix(packet);
                if (fix && !Plausible(*fix)) {
                    return at - packet.size();
                }
                if (fix && distance < slot.fixDistance) {
                    slot.fixDistance = distance;
                    slot.fix = fix;
                }
            }
        }
        return std::nullopt;
    }

    static std::optional<Fix> Position(std::span<const unsigned char> packet) {
        return Fix{.latitude = LittleDouble(packet, 4), .longitude = LittleDouble(packet, 12)};
    }

    // Nothing when the receiver had no 2D or 3D fix.
    static std::optional<Fix> FullFix(std::span<const unsigned char> packet) {
        if (Little32(packet, 12) < 2) {
            return std::nullopt;
        }
        return Fix{.latitude = LittleDouble(packet, 16),
                   .longitude = LittleDouble(packet, 24),
                   .velocity = std::pair<double, double>(LittleFloat(packet, 0x2c),
                                                         LittleFloat(packet, 0x30)),
                   .gpsTime = LittleDouble(packet, 4)};
    }

    static int64_t UtcOf(double gpsTime, const std::optional<ClipTime>& created) {
        if (!std::isfinite(gpsTime) || std::fabs(gpsTime) > 1e12) {
            return kUnknownUtc;
        }
        const bool fromGpsEpoch =
            !created || static_cast<double>(created->startUnix) - gpsTime > kFiveYears;
        return static_cast<int64_t>(std::floor(gpsTime)) + (fromGpsEpoch ? kGpsEpochToUnix : 0);
    }

    static void Place(const std::map<int, Slot>& slots, const std::optional<ClipTime>& created,
                      const TrackStores& stores, ReaderOutcome& outcome) {
        for (const auto& [second, slot] : slots) {
            if (slot.fix) {
                const Fix& fix = *slot.fix;
                stores.map.PutEntry(second, fix.latitude, fix.longitude, 'A',
                                    fix.gpsTime ? UtcOf(*fix.gpsTime, created) : kUnknownUtc);
                if (fix.velocity) {
                    const auto [east, north] = *fix.velocity;
                    const double course = std::atan2(east, north) * 180.0 / std::numbers::pi;
                    stores.dial.SetSpeedRecord(
                        second, TruncateToInt(std::hypot(east, north) * 3.6),
                        TruncateToInt(course < 0.0 ? course + 360.0 : course));
                }
                outcome.fix = true;
            }
            if (slot.accelDistance < 1.0) {
                const auto& [x, y, z] = slot.accel;
                stores.chart.AddTrackLine(EmbeddedTrackLine(second * 1000, x, y, z).c_str());
            }
        }
    }
};

} // namespace

const CameraReader& CammTrackReader() {
    static const CammReader reader;
    return reader;
}
