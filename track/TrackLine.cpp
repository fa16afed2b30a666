#include "track/TrackLine.h"

#include "track/FixedDecimal.h"

#include <cerrno>
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

bool IsSentenceOnlyTrackLine(const char* line) {
    if (!TrackLineTime(line)) {
        return false;
    }
    const char* rest = line + 2;
    rest += (*rest == '-' || *rest == '+') ? 1 : 0;
    while (*rest >= '0' && *rest <= '9') {
        ++rest;
    }
    return rest[0] == ' ' && rest[1] == '$';
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
    std::string line = "T:" + std::to_string(timeMs);
    line.reserve(line.size() + 48);
    const char* const names[] = {" X:", " Y:", " Z:", " G:"};
    const double values[] = {x, y, z, 0.0};
    for (int i = 0; i < 4; ++i) {
        line += names[i];
        AppendFixed(line, values[i], 5);
    }
    return line;
}
