#include "track/SpeedSpan.h"

#include "track/CSpeedDialModel.h"

#include <algorithm>

std::optional<SpeedSpan> SpeedSpanAt(const CSpeedDialModel& dial, int second) {
    int from = second - 1;
    int to = second + 1;
    const SpeedRecord* before = dial.Find(from);
    const SpeedRecord* after = dial.Find(to);
    if (before == nullptr) {
        before = dial.Find(from = second);
    }
    if (after == nullptr) {
        after = dial.Find(to = second);
    }
    if (before == nullptr || after == nullptr || from == to) {
        return std::nullopt;
    }
    return SpeedSpan{before, after, to - from};
}

std::optional<double> SpeedChangeAt(const CSpeedDialModel& dial, int second) {
    const std::optional<SpeedSpan> span = SpeedSpanAt(dial, second);
    if (!span) {
        return std::nullopt;
    }
    return static_cast<double>(span->after->speed - span->before->speed) / span->seconds;
}

std::optional<double> TurnAt(const CSpeedDialModel& dial, int second) {
    const std::optional<SpeedSpan> span = SpeedSpanAt(dial, second);
    if (!span) {
        return std::nullopt;
    }
    const int turn = ((span->after->heading - span->before->heading) % 360 + 360) % 360;
    return static_cast<double>(std::min(turn, 360 - turn)) / span->seconds;
}
