#include "evidence/ReportFacts.h"

#include "track/ClipTrack.h"
#include "track/SensorAxes.h"
#include "track/UtcTime.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace {

// Each clip second's reading along the car, minus rest, on the axes the clip's own data
// decide (the same the event finder judges on).
std::map<int, double> AlongReadings(const ClipTrack& track) {
    const std::vector<SensorReading> readings = SensorReadings(track.Chart());
    const SensorAxes axes = DecideSensorAxes(readings, track.Dial());
    std::map<int, double> along;
    for (const SensorReading& reading : readings) {
        const auto axis = static_cast<size_t>(axes.along);
        along[reading.second] = axes.forward * (reading.value[axis] - axes.rest[axis]);
    }
    return along;
}

// The UTC of a moment `at` seconds into a clip, from the dated second nearest to it.
int64_t UtcAt(const std::vector<ReportSecond>& seconds, size_t piece, double at, bool last) {
    const ReportSecond* found = nullptr;
    for (const ReportSecond& second : seconds) {
        if (second.track.piece == piece && second.track.utc != kUnknownUtc &&
            (found == nullptr || last)) {
            found = &second;
        }
    }
    if (found == nullptr) {
        return kUnknownUtc;
    }
    return found->track.utc + std::llround(at - found->track.source);
}

// The second whose middle lies nearest to `at` on the excerpt's clock.
std::optional<size_t> NearestSecond(const std::vector<ReportSecond>& seconds, double at) {
    std::optional<size_t> nearest;
    double best = 0;
    for (size_t i = 0; i < seconds.size(); ++i) {
        const double off = std::fabs((seconds[i].track.begin + seconds[i].track.end) / 2 - at);
        if (!nearest || off < best) {
            nearest = i;
            best = off;
        }
    }
    return nearest;
}

std::optional<int> KmhOf(const std::vector<ReportSecond>& seconds, size_t index) {
    if (index >= seconds.size() || !seconds[index].track.hasSpeed) {
        return std::nullopt;
    }
    return seconds[index].track.kmh;
}

} // namespace

bool ReportFacts::HasPosition() const {
    return std::any_of(seconds.begin(), seconds.end(),
                       [](const ReportSecond& s) { return s.track.fix; });
}

bool ReportFacts::HasSpeed() const {
    return std::any_of(seconds.begin(), seconds.end(),
                       [](const ReportSecond& s) { return s.track.hasSpeed; });
}

bool ReportFacts::HasSensor() const {
    return std::any_of(seconds.begin(), seconds.end(),
                       [](const ReportSecond& s) { return s.alongG.has_value(); });
}

ReportFacts GatherReportFacts(const std::vector<const ClipTrack*>& tracks,
                              const std::vector<std::string>& clips,
                              const std::vector<ExcerptSpan>& spans) {
    ReportFacts facts;
    facts.length = ExcerptLength(spans);
    std::vector<std::map<int, double>> along;
    for (const ClipTrack* track : tracks) {
        along.push_back(AlongReadings(*track));
    }
    for (const ExcerptSecond& second : ExcerptSeconds(tracks, spans)) {
        ReportSecond entry{second, std::nullopt};
        const auto reading = along[second.piece].find(second.source);
        if (reading != along[second.piece].end()) {
            entry.alongG = reading->second;
        }
        facts.seconds.push_back(entry);
    }

    double offset = 0;
    for (size_t i = 0; i < spans.size() && i < tracks.size() && i < clips.size(); ++i) {
        const ExcerptSpan& span = spans[i];
        for (const DrivingEvent& event : DetectClipEvents(clips[i], *tracks[i])) {
            if (event.second + 1 <= span.start || event.second >= span.end) {
                continue;
            }
            const double at = offset + std::max(event.second - span.start, 0.0);
            facts.events.push_back({at, UtcAt(facts.seconds, i, event.second, false), event.kind,
                                    event.peakG, event.speedKmh});
        }
        offset += span.end - span.start;
    }
    facts.startUtc =
        spans.empty() ? kUnknownUtc : UtcAt(facts.seconds, 0, spans.front().start, false);
    facts.endUtc = spans.empty() ? kUnknownUtc
                                 : UtcAt(facts.seconds, spans.size() - 1, spans.back().end, true);

    for (size_t i = 0; i < facts.seconds.size(); ++i) {
        const std::optional<double> g = facts.seconds[i].alongG;
        if (g && -*g > facts.peakDecelerationG) {
            facts.peakDecelerationG = -*g;
            facts.braking = i;
        }
    }
    if (facts.braking) {
        facts.kmhBefore =
            *facts.braking > 0 ? KmhOf(facts.seconds, *facts.braking - 1) : std::nullopt;
        facts.kmhAfter = KmhOf(facts.seconds, *facts.braking + 1);
    }
    const ReportEvent* strongest = nullptr;
    for (const ReportEvent& event : facts.events) {
        if (event.kind != DrivingEventKind::Locked &&
            (strongest == nullptr || event.peakG > strongest->peakG)) {
            strongest = &event;
        }
    }
    facts.peak =
        strongest != nullptr ? NearestSecond(facts.seconds, strongest->at + 0.5) : facts.braking;
    return facts;
}
