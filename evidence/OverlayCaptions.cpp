#include "evidence/OverlayCaptions.h"

#include "track/CSpeedDialModel.h"
#include "track/UtcTime.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>

namespace {

// "h:mm:ss.cc", ASS's time of an event.
std::string AssTime(double seconds) {
    const long long cs = std::llround(std::max(seconds, 0.0) * 100);
    char text[32];
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld.%02lld", cs / 360'000, cs / 6000 % 60,
                  cs / 100 % 60, cs % 100);
    return text;
}

std::string Event(double begin, double end, const char* style, const std::string& text) {
    return "Dialogue: 0," + AssTime(begin) + "," + AssTime(end) + "," + style + ",,0,0,0,," + text +
           "\n";
}

} // namespace

std::string AssPlainText(const std::string& text) {
    std::string plain;
    for (const char c : text) {
        switch (c) {
        case '{':
        case '}':
            plain += '\\';
            plain += c;
            break;
        case '\\':
            // libass has no escape for a backslash itself; an invisible word joiner after it
            // keeps "\N" or "\h" of the text from being read as a line break or a space.
            plain += "\\\xE2\x81\xA0";
            break;
        case '\n':
        case '\r':
        case '\t':
            plain += ' ';
            break;
        default:
            plain += c;
        }
    }
    return plain;
}

std::string CaptionOf(const ExcerptSecond& second, bool kmh) {
    std::vector<std::string> lines;
    if (second.utc != kUnknownUtc) {
        // The local time a witness would name, with its offset so nobody has to guess the zone.
        const std::time_t when = static_cast<std::time_t>(second.utc);
        std::tm local{};
        localtime_r(&when, &local);
        char text[48];
        std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S %z", &local);
        lines.emplace_back(text);
    }
    if (second.fix && second.hasSpeed) {
        // Truncated as the dial shows it, so the picture and the player agree.
        const int speed = kmh ? second.kmh : static_cast<int>(second.kmh * kMilesPerKilometre);
        lines.push_back(std::to_string(speed) + (kmh ? " km/h" : " mph"));
    }
    if (second.fix) {
        char text[64];
        std::snprintf(text, sizeof text, "%c %.6f  %c %.6f", second.latitude < 0 ? 'S' : 'N',
                      std::fabs(second.latitude), second.longitude < 0 ? 'W' : 'E',
                      std::fabs(second.longitude));
        lines.emplace_back(text);
    }
    std::string caption;
    for (const std::string& line : lines) {
        caption += (caption.empty() ? "" : "\\N") + line;
    }
    return caption;
}

std::string OverlayAss(const std::vector<ExcerptSecond>& seconds, bool kmh, const std::string& text,
                       double length) {
    std::string ass = "[Script Info]\nScriptType: v4.00+\nPlayResX: 640\nPlayResY: 360\n"
                      "ScaledBorderAndShadow: yes\n\n[V4+ Styles]\n"
                      "Format: Name, Fontname, Fontsize, PrimaryColour, SecondaryColour, "
                      "OutlineColour, BackColour, Bold, Italic, Underline, StrikeOut, ScaleX, "
                      "ScaleY, Spacing, Angle, BorderStyle, Outline, Shadow, Alignment, MarginL, "
                      "MarginR, MarginV, Encoding\n"
                      "Style: Data,DejaVu Sans Mono,16,&H00FFFFFF,&H00FFFFFF,&H00000000,"
                      "&H80000000,0,0,0,0,100,100,0,0,1,2,0,1,10,10,8,1\n"
                      "Style: Note,DejaVu Sans,16,&H00FFFFFF,&H00FFFFFF,&H00000000,"
                      "&H80000000,0,0,0,0,100,100,0,0,1,2,0,3,10,10,8,1\n\n"
                      "[Events]\nFormat: Layer, Start, End, Style, Name, MarginL, MarginR, "
                      "MarginV, Effect, Text\n";
    for (const ExcerptSecond& second : seconds) {
        const std::string caption = CaptionOf(second, kmh);
        if (!caption.empty()) {
            ass += Event(second.begin, second.end, "Data", caption);
        }
    }
    if (!text.empty()) {
        ass += Event(0, length, "Note", AssPlainText(text));
    }
    return ass;
}
