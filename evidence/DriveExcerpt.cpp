#include "evidence/DriveExcerpt.h"

#include <algorithm>
#include <cstdio>

std::optional<double> DriveSecondOfClock(const Drive& drive, const std::string& text,
                                         std::string& why) {
    int hours = 0;
    int minutes = 0;
    int seconds = 0;
    char rest = 0;
    if (std::sscanf(text.c_str(), "%2d:%2d:%2d%c", &hours, &minutes, &seconds, &rest) != 3 ||
        hours > 23 || minutes > 59 || seconds > 59 || hours < 0 || minutes < 0 || seconds < 0) {
        why = "not a time of day HH:MM:SS: " + text;
        return std::nullopt;
    }
    if (drive.clock == DriveClock::None) {
        why = "the clips tell no time of day; give seconds instead";
        return std::nullopt;
    }
    constexpr int64_t kDay = 86400;
    const int64_t dayStart = drive.start - ((drive.start % kDay) + kDay) % kDay;
    int64_t at = dayStart + hours * 3600 + minutes * 60 + seconds;
    // A drive that runs past midnight reaches the small hours of the next day.
    if (at < drive.start) {
        at += kDay;
    }
    return static_cast<double>(at - drive.start);
}

bool CutDrive(const Drive& drive, double from, double to, ExcerptRequest& request,
              std::string& why) {
    request.pieces.clear();
    request.beside.clear();
    for (const DriveClip& clip : drive.clips) {
        const double begin = static_cast<double>(clip.at);
        const double end = begin + clip.main.seconds;
        const double pieceFrom = std::max(from, begin);
        const double pieceTo = std::min(to, end);
        if (pieceTo <= pieceFrom) {
            continue;
        }
        if (request.pieces.empty()) {
            for (const ClipSummary& other : clip.beside) {
                request.beside.push_back(other.path);
            }
        }
        request.pieces.push_back({clip.main.path, pieceFrom - begin, pieceTo - begin});
    }
    if (request.pieces.empty()) {
        why = "the stretch asked for lies outside the clips";
        return false;
    }
    return true;
}
