#include "track/TrackLine.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <limits>

std::optional<long long> TrackLineTime(const char* line) {
    if (line == nullptr || line[0] != 'T' || line[1] != ':') {
        return std::nullopt;
    }
    const char* digits = line + 2;
    // scanf's %d would skip blanks before the number; a track line never has any.
    const char* first = (*digits == '-' || *digits == '+') ? digits + 1 : digits;
    if (*first < '0' || *first > '9') {
        return std::nullopt;
    }
    errno = 0;
    char* end = nullptr;
    long long value = std::strtoll(digits, &end, 10);
    if (errno == ERANGE) {
        return std::nullopt;
    }
    return value;
}

std::optional<int> TrackLineSecond(const char* line) {
    std::optional<long long> ms = TrackLineTime(line);
    if (!ms) {
        return std::nullopt;
    }
    long long second = *ms / 1000; // C++ division truncates toward zero
    if (second < 0) {
        return 0;
    }
    if (second > std::numeric_limits<int>::max()) {
        return std::nullopt;
    }
    return static_cast<int>(second);
}

std::string SensorTrackLine(int timeMs, std::string_view sidecarLine) {
    std::string line = "T:" + std::to_string(timeMs) + " ";
    line.append(sidecarLine);
    return line;
}

std::string SentenceTrackLine(int timeMs, std::string_view sentence) {
    std::string line =
        "T:" + std::to_string(timeMs) + " X:0.000000 Y:0.000000 Z:0.000000 G:0.000000 ";
    line.append(sentence);
    return line;
}

std::string EmbeddedTrackLine(int timeMs, double x, double y, double z) {
    char buffer[128];
    std::snprintf(buffer, sizeof buffer, "T:%d X:%0.5f Y:%0.5f Z:%0.5f G:%0.5f", timeMs, x, y, z,
                  0.0);
    return buffer;
}
