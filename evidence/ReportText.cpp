#include "evidence/ReportText.h"

#include "track/DrivingEvents.h"
#include "track/UtcTime.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>

namespace {

std::string Formatted(const char* format, double a, double b) {
    char text[64];
    std::snprintf(text, sizeof text, format, a, b);
    return text;
}

std::string ExcerptClock(double seconds) {
    const double shown = std::max(seconds, 0.0);
    const int minutes = static_cast<int>(shown / 60);
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%04.1f", minutes, shown - 60.0 * minutes);
    return text;
}

std::string PlaceOf(const ReportSecond& second) {
    return second.track.fix ? Formatted("%.6f, %.6f", second.track.latitude, second.track.longitude)
                            : std::string("no position");
}

std::string KmhText(const std::optional<int>& kmh) {
    return kmh ? std::to_string(*kmh) + " km/h" : std::string("unknown");
}

std::string EventLine(const ReportEvent& event) {
    std::string line = std::string(DrivingEventName(event.kind)) + " at " + ExcerptClock(event.at) +
                       " (" + UtcLine(event.utc) + ")";
    if (event.kind != DrivingEventKind::Locked) {
        line += Formatted(", peak %.2f g", event.peakG, 0);
    }
    return line + ", " + KmhText(event.kmh);
}

// A user's text and a command line go on one line each: a line end in them must not start a
// line the manifest's reader would take for a file of its own.
std::string OneLine(std::string text) {
    for (char& c : text) {
        if (c == '\n' || c == '\r') {
            c = ' ';
        }
    }
    return text;
}

} // namespace

std::string UtcLine(int64_t utc) {
    if (utc == kUnknownUtc) {
        return "unknown";
    }
    const std::string iso = UtcText(utc); // YYYY-MM-DDThh:mm:ssZ
    return iso.substr(0, 10) + " " + iso.substr(11, 8) + " UTC";
}

std::string LocalLine(int64_t utc) {
    if (utc == kUnknownUtc) {
        return "unknown";
    }
    const auto when = static_cast<std::time_t>(utc);
    std::tm local{};
    char text[96];
    if (localtime_r(&when, &local) == nullptr ||
        std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S %Z (UTC%z)", &local) == 0) {
        return "unknown";
    }
    return text;
}

std::string ZoneName() {
    if (const char* tz = std::getenv("TZ"); tz != nullptr && *tz != '\0') {
        return std::string(tz[0] == ':' ? tz + 1 : tz) + " (from TZ)";
    }
    std::ifstream named("/etc/timezone");
    std::string zone;
    if (std::getline(named, zone) && !zone.empty()) {
        return zone;
    }
    std::error_code error;
    const std::filesystem::path link = std::filesystem::read_symlink("/etc/localtime", error);
    const std::string target = link.string();
    const size_t at = target.find("zoneinfo/");
    return !error && at != std::string::npos ? target.substr(at + 9) : std::string("UTC");
}

std::vector<ReportSection> FactSections(const ReportFacts& facts) {
    ReportSection time{"Time", {}};
    time.lines.push_back("Start: " + UtcLine(facts.startUtc) + " = " + LocalLine(facts.startUtc));
    time.lines.push_back("End: " + UtcLine(facts.endUtc) + " = " + LocalLine(facts.endUtc));
    time.lines.push_back(Formatted("Length: %.1f s", facts.length, 0));
    time.lines.push_back("Local times are in the zone " + ZoneName() +
                         ". Times come from the GPS track; the camera's own clock, in its "
                         "file names and picture, may differ.");
    if (facts.startUtc == kUnknownUtc) {
        time.lines.push_back("The track gives no date and time for this excerpt.");
    }

    ReportSection place{"Place (decimal degrees, WGS 84)", {}};
    const bool positioned = facts.HasPosition();
    if (!positioned) {
        place.lines.push_back("No position: the clips' track holds none for this excerpt.");
    } else {
        place.lines.push_back("At the start: " + PlaceOf(facts.seconds.front()));
        place.lines.push_back("At the end: " + PlaceOf(facts.seconds.back()));
        if (facts.peak) {
            place.lines.push_back("At the marked moment: " + PlaceOf(facts.seconds[*facts.peak]));
        }
    }

    ReportSection motion{kMotionTitle, {}};
    if (!facts.HasSpeed()) {
        motion.lines.push_back("No speed: the clips' track holds none for this excerpt.");
    }
    if (!facts.HasSensor()) {
        motion.lines.push_back("No G-sensor readings for this excerpt.");
    } else if (facts.braking) {
        const ReportSecond& braking = facts.seconds[*facts.braking];
        motion.lines.push_back(Formatted("Peak deceleration: %.2f g", facts.peakDecelerationG, 0) +
                               " at " + ExcerptClock(braking.track.begin) + " (" +
                               UtcLine(braking.track.utc) + ")");
        motion.lines.push_back("Speed 1 s before: " + KmhText(facts.kmhBefore) +
                               "; 1 s after: " + KmhText(facts.kmhAfter));
    } else {
        motion.lines.push_back("No deceleration recorded.");
    }
    if (facts.peak) {
        const ReportSecond& peak = facts.seconds[*facts.peak];
        motion.lines.push_back("Marked moment: " + ExcerptClock(peak.track.begin) +
                               " of the excerpt (" + UtcLine(peak.track.utc) + ")");
    }

    ReportSection events{"Driving events", {}};
    for (const ReportEvent& event : facts.events) {
        events.lines.push_back(EventLine(event));
    }
    if (events.lines.empty()) {
        events.lines.push_back("None found in the excerpt.");
    }
    return {time, place, motion, events};
}

ReportSection OriginSection(const ReportOrigin& origin) {
    ReportSection section{"Made", {}};
    section.lines.push_back("By " + origin.program + " on " + UtcLine(origin.madeUtc));
    section.lines.push_back("From: " + OneLine(origin.command));
    if (!origin.caseText.empty()) {
        section.lines.push_back("Case: " + OneLine(origin.caseText));
    }
    return section;
}

std::string ManifestText(const std::vector<ReportSection>& sections,
                         const std::vector<ManifestFile>& files) {
    std::string text = "Ostvik evidence manifest\n";
    for (const ReportSection& section : sections) {
        text += "\n[" + section.title + "]\n";
        for (const std::string& line : section.lines) {
            text += line + "\n";
        }
    }
    text += "\n[Files: SHA-256, bytes, role, path; a path without a leading / lies beside "
            "this manifest]\n";
    for (const ManifestFile& file : files) {
        text += ManifestFileLine(file) + "\n";
    }
    return text;
}
