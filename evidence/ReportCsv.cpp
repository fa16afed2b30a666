#include "evidence/ReportCsv.h"

#include "track/UtcTime.h"

#include <cstdio>

std::string ReportCsv(const ReportFacts& facts) {
    std::string text = "excerpt_second,utc,latitude,longitude,speed_kmh,along_g\n";
    char field[48];
    for (const ReportSecond& second : facts.seconds) {
        const ExcerptSecond& s = second.track;
        std::snprintf(field, sizeof field, "%.1f,", s.begin);
        text += field;
        text += (s.utc == kUnknownUtc ? std::string() : UtcText(s.utc)) + ",";
        if (s.fix) {
            std::snprintf(field, sizeof field, "%.6f,%.6f,", s.latitude, s.longitude);
            text += field;
        } else {
            text += ",,";
        }
        text += (s.hasSpeed ? std::to_string(s.kmh) : std::string()) + ",";
        if (second.alongG) {
            std::snprintf(field, sizeof field, "%.3f", *second.alongG);
            text += field;
        }
        text += "\n";
    }
    return text;
}
