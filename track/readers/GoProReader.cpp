// GoPro cameras (HERO5 onwards, MAX, and the Karma drone carrying one) keep their telemetry
// as GPMF in a timed-metadata track of the clip whose sample entry is `gpmd`, one sample a
// second: positions with UTC (GPS5 and GPSU, or GPS9; the Karma's own GLPI) and the
// accelerometer (ACCL).
#include "track/readers/CameraReader.h"

#include "track/CGSampleStore.h"
#include "track/CMapTrackStore.h"
#include "track/CSpeedDialModel.h"
#include "track/Mp4SampleTable.h"
#include "track/TrackLine.h"
#include "track/Truncate.h"
#include "track/readers/Gpmf.h"
#include "track/readers/GpmfSeconds.h"

#include <cmath>
#include <numbers>

namespace {

// Larger than any payload GoPro writes (a few kB a second); a larger sample is damage.
constexpr uint64_t kMaxSampleBytes = 4u << 20;
// More payload than any chapter a camera writes holds; a table that names the same bytes
// again and again stops here.
constexpr uint64_t kMaxTrackBytes = 256u << 20;
// A payload a second for over a week.
constexpr uint64_t kMaxSamples = 1u << 20;

// Below this distance between two seconds' fixes, GPS noise outweighs the way travelled.
constexpr double kMinCourseMetres = 1.0;
constexpr double kEarthRadiusMetres = 6'371'000.0;

// GPMF has no course over ground: it is the bearing from one second's fix to the next.
class CourseFromFixes {
public:
    int Next(const std::optional<GpmfFix>& from, const GpmfFix& to) {
        if (from) {
            const double rad = std::numbers::pi / 180.0;
            const double north = (to.latitude - from->latitude) * rad;
            const double east =
                (to.longitude - from->longitude) * rad * std::cos(from->latitude * rad);
            if (std::hypot(north, east) * kEarthRadiusMetres >= kMinCourseMetres) {
                const double degrees = std::atan2(east, north) / rad;
                m_course = TruncateToInt(degrees < 0.0 ? degrees + 360.0 : degrees);
            }
        }
        return m_course;
    }

private:
    int m_course = 0;
};

void Fill(const std::map<int, GpmfSecond>& seconds, const TrackStores& stores, bool& anyFix) {
    CourseFromFixes course;
    std::optional<GpmfFix> previous;
    int previousSecond = -2;
    for (const auto& [second, entry] : seconds) {
        if (entry.fix) {
            const GpmfFix& fix = *entry.fix;
            stores.map.PutEntry(second, fix.latitude, fix.longitude, 'A', entry.utc);
            anyFix = anyFix || stores.map.HasPosition(second);
            // A course wants the second just before; after a gap it holds the last one.
            const bool adjacent = previousSecond == second - 1;
            const int heading = course.Next(adjacent ? previous : std::nullopt, fix);
            // Rounded to 0.01 km/h before the truncation, as the dial does with knots.
            const int kmh = TruncateToInt(std::round(fix.speed * 3.6 * 100.0) / 100.0);
            stores.dial.SetSpeedRecord(second, kmh, heading);
            previous = fix;
            previousSecond = second;
        }
        if (entry.accel) {
            const auto& g = *entry.accel;
            const std::string line = EmbeddedTrackLine(second * 1000, g[0], g[1], g[2]);
            stores.chart.AddTrackLine(line.c_str());
        }
    }
}

class GoProReader : public CameraReader {
public:
    std::string_view Family() const override { return "GoPro GPMF"; }

    bool Claims(ByteSource& bytes) const override {
        return FindMp4Track(bytes, "gpmd").has_value();
    }

    ReaderOutcome Read(const ReaderInput& input, const TrackStores& stores) const override {
        ReaderOutcome outcome;
        const std::optional<Mp4Track> track = FindMp4Track(input.bytes, "gpmd");
        if (!track || track->timescale == 0) {
            outcome.why = track ? "a gpmd track without a time scale" : "no gpmd track";
            return outcome;
        }
        GpmfSeconds seconds(stores.map.LastSecond());
        const double scale = track->timescale;
        const uint64_t length = input.bytes.Length();
        uint64_t read = 0;
        int payloads = 0;
        ForEachMp4Sample(input.bytes, *track, kMaxSamples, [&](const Mp4Sample& sample) {
            if (sample.size == 0 || sample.size > kMaxSampleBytes || sample.offset >= length ||
                sample.size > length - sample.offset) {
                outcome.damagedAt = outcome.damagedAt.value_or(sample.offset);
                return true;
            }
            read += sample.size;
            if (read > kMaxTrackBytes) {
                return false;
            }
            const std::span<const unsigned char> bytes =
                input.bytes.Read(sample.offset, static_cast<size_t>(sample.size));
            if (bytes.size() < sample.size) {
                return false; // the clip shrank
            }
            ++payloads;
            const std::optional<size_t> damage =
                ReadGpmfPayload(bytes, static_cast<double>(sample.time) / scale,
                                static_cast<double>(sample.duration) / scale, seconds);
            if (damage && !outcome.damagedAt) {
                outcome.damagedAt = sample.offset + *damage;
            }
            return true;
        });
        outcome.found = payloads > 0;
        if (!outcome.found) {
            outcome.why = "no readable gpmd sample";
            return outcome;
        }
        Fill(seconds.Seconds(), stores, outcome.fix);
        if (!outcome.fix) {
            const int fixes = seconds.FixCount();
            outcome.why = fixes == 0 ? "no GPS in the GPMF track"
                                     : std::to_string(fixes) + " GPS fixes, none valid";
        }
        return outcome;
    }
};

} // namespace

const CameraReader& GoProGpmfReader() {
    static const GoProReader reader;
    return reader;
}
