#include "evidence/DriveExcerpt.h"

#include "track/UtcTime.h"

#include <algorithm>
#include <cstdio>
#include <ctime>

namespace {

constexpr int64_t kDay = 86400;

struct TimeOfDay {
    int hours = 0;
    int minutes = 0;
    int seconds = 0;
};

bool InRange(const TimeOfDay& t) {
    return t.hours >= 0 && t.hours <= 23 && t.minutes >= 0 && t.minutes <= 59 && t.seconds >= 0 &&
           t.seconds <= 59;
}

// The first moment at or after `start` (UTC) whose local time of day is `t`, the local time
// being what localtime_r gives, as the burnt-in captions show it. Both readings of an hour the
// clocks go back through are tried, so the earlier wins; a time the clocks skip gives nothing.
std::optional<int64_t> NextLocalTime(int64_t start, const TimeOfDay& t) {
    const auto startTime = static_cast<std::time_t>(start);
    std::tm day{};
    if (localtime_r(&startTime, &day) == nullptr) {
        return std::nullopt;
    }
    std::optional<int64_t> first;
    for (const int nextDay : {0, 1}) {
        for (const int dst : {0, 1}) {
            std::tm wanted = day;
            wanted.tm_mday += nextDay;
            wanted.tm_hour = t.hours;
            wanted.tm_min = t.minutes;
            wanted.tm_sec = t.seconds;
            wanted.tm_isdst = dst;
            const std::time_t at = std::mktime(&wanted);
            std::tm shown{};
            if (at == static_cast<std::time_t>(-1) || localtime_r(&at, &shown) == nullptr ||
                shown.tm_hour != t.hours || shown.tm_min != t.minutes ||
                shown.tm_sec != t.seconds) {
                continue;
            }
            if (at >= start && (!first || at < *first)) {
                first = at;
            }
        }
    }
    return first;
}

// The first moment at or after `start` whose time of day in `start`'s own clock is `t`.
int64_t NextTimeOfDay(int64_t start, const TimeOfDay& t) {
    const int64_t dayStart = start - ((start % kDay) + kDay) % kDay;
    int64_t at = dayStart + t.hours * 3600 + t.minutes * 60 + t.seconds;
    // A drive that runs past midnight reaches the small hours of the next day.
    if (at < start) {
        at += kDay;
    }
    return at;
}

} // namespace

std::optional<double> DriveSecondOfClock(const Drive& drive, const std::string& text,
                                         std::string& why) {
    TimeOfDay t;
    int year = 0;
    int month = 0;
    int day = 0;
    char zone = 0;
    char rest = 0;
    const char* c = text.c_str();
    const int fields =
        std::sscanf(c, "%2d:%2d:%2d%c%c", &t.hours, &t.minutes, &t.seconds, &zone, &rest);
    // Read second, as a stamp fills the same fields when it matches.
    const bool stamp = std::sscanf(c, "%4d-%2d-%2dT%2d:%2d:%2d%c%c", &year, &month, &day, &t.hours,
                                   &t.minutes, &t.seconds, &zone, &rest) == 7 &&
                       zone == 'Z';
    const bool utc = stamp || (fields == 4 && zone == 'Z');
    if (!stamp && !((fields == 3 || utc) && InRange(t))) {
        why = "not a time of day HH:MM:SS, HH:MM:SSZ or YYYY-MM-DDTHH:MM:SSZ: " + text;
        return std::nullopt;
    }
    std::optional<int64_t> stampUtc;
    if (stamp) {
        stampUtc = UtcSeconds(year, month, day, t.hours, t.minutes, t.seconds);
        if (!stampUtc) {
            why = "no such date and time: " + text;
            return std::nullopt;
        }
    }
    if (drive.clock == DriveClock::None) {
        why = "the clips tell no time of day; give seconds instead";
        return std::nullopt;
    }
    if (drive.clock == DriveClock::Camera) {
        if (utc) {
            why = "the clips carry no UTC; give the camera's time of day as HH:MM:SS: " + text;
            return std::nullopt;
        }
        return static_cast<double>(NextTimeOfDay(drive.start, t) - drive.start);
    }
    int64_t at = 0;
    if (stampUtc) {
        at = *stampUtc;
    } else if (utc) {
        at = NextTimeOfDay(drive.start, t);
    } else {
        const std::optional<int64_t> local = NextLocalTime(drive.start, t);
        if (!local) {
            why = "the local clock skips " + text;
            return std::nullopt;
        }
        at = *local;
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
        request.beside.push_back(clip.beside.empty() ? std::string() : clip.beside.front().path);
        request.pieces.push_back({clip.main.path, pieceFrom - begin, pieceTo - begin});
    }
    if (request.pieces.empty()) {
        why = "the stretch asked for lies outside the clips";
        return false;
    }
    return true;
}
