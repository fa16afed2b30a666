// The per-second track of a GoPro clip, gathered from its GPMF payloads as they are read:
// GoPro writes about 18 fixes and 200 accelerometer readings a second, the stores keep one
// of each a second.
//
// Second s stands for the clip times [s - 0.5, s + 0.5): its fix is the one nearest to s
// (the earlier on a tie) among the valid fixes there, or when none is valid, nothing. A
// second with no valid fix in that half-second either side gets no position, no time and
// no speed: the map shows no marker there and the dial keeps what it showed. Its chart
// value is the mean of the readings in the same stretch, so a jolt stays in the second
// whose moment it is nearest.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <utility>
#include <vector>

#include "track/readers/Gpmf.h"

struct GpmfSecond {
    std::optional<GpmfFix> fix;
    int64_t utc = 0; // with a fix whose clock was known, else kUnknownUtc
    std::optional<std::array<double, 3>> accel;
};

class GpmfSeconds : public GpmfSink {
public:
    explicit GpmfSeconds(int lastSecond) : m_lastSecond(lastSecond) {}

    void Fix(const GpmfFix& fix) override;
    void Accel(double seconds, const std::array<double, 3>& g) override;
    void SystemClock(double system, double utc) override;

    int FixCount() const { return m_fixes; }

    // The seconds that got anything, in order, with each fix's UTC resolved: the Karma's
    // clock through the SYST pairs on both sides of it (or the two nearest, beyond them),
    // as exiftool does; every time rounded to GPSU's millisecond and taken whole.
    std::map<int, GpmfSecond> Seconds() const;

private:
    struct Slot {
        std::optional<GpmfFix> fix;
        std::array<double, 3> sum{};
        int readings = 0;
    };
    std::optional<int> SecondOf(double seconds) const;

    int m_lastSecond;
    int m_fixes = 0;
    std::map<int, Slot> m_slots;
    std::vector<std::pair<double, double>> m_clock;
};
