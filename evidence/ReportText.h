// The report's facts as lines of text, in sections: the same words go on the PDF page and
// into the plain-text manifest beside it, so a reader of either finds the same statement.
// Times are given in UTC and in the local clock of the zone the program runs in, as the
// overlay burns them in.
#pragma once

#include "evidence/FileDigest.h"
#include "evidence/ManifestFiles.h"
#include "evidence/ReportFacts.h"

#include <cstdint>
#include <string>
#include <vector>

struct ReportSection {
    std::string title;
    std::vector<std::string> lines;
};

// How the report came about: who made it, when, on what command or choices.
struct ReportOrigin {
    std::string program;  // "ostvik-export 1.2.0"
    std::string command;  // the command line, or the dialog's choices
    std::string caseText; // the user's free line (a case number); may be empty
    int64_t madeUtc = 0;
};

// A source clip as the report lists it.
struct ReportSource {
    std::string path;
    FileDigest digest;
    int64_t recordedUtc = 0; // its track's first dated second; kUnknownUtc without one
};

// "2024-06-01 12:00:25 UTC"; "unknown" for kUnknownUtc.
std::string UtcLine(int64_t utc);
// "2024-06-01 14:00:25 CEST (UTC+0200)" in the local clock.
std::string LocalLine(int64_t utc);
// The zone the local times are in: TZ when set, else the system's.
std::string ZoneName();

// The title of the section the PDF sets its route and charts above.
inline constexpr const char* kMotionTitle = "Speed and G-sensor";

// Time, place, motion and events, each section with at least one line.
std::vector<ReportSection> FactSections(const ReportFacts& facts);
// Where the report came from: program, command, made, case.
ReportSection OriginSection(const ReportOrigin& origin);

// The whole manifest: the sections, then one line per file (ManifestFileLine).
std::string ManifestText(const std::vector<ReportSection>& sections,
                         const std::vector<ManifestFile>& files);
