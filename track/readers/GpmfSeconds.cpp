#include "track/readers/GpmfSeconds.h"

#include "track/UtcTime.h"

#include <algorithm>
#include <cmath>

namespace {

// More SYST pairs than a day of Karma flight holds (one a second).
constexpr size_t kMaxClockPairs = 1u << 17;

// `pairs` sorted by the Karma's clock.
std::optional<double> SystemToUtc(const std::vector<std::pair<double, double>>& pairs,
                                  double system) {
    if (pairs.empty()) {
        return std::nullopt;
    }
    if (pairs.size() == 1) {
        return pairs[0].second + (system - pairs[0].first);
    }
    const auto after = std::upper_bound(pairs.begin(), pairs.end(), std::pair(system, -HUGE_VAL));
    const size_t j = std::clamp<size_t>(after - pairs.begin(), 1, pairs.size() - 1);
    const auto& [s0, u0] = pairs[j - 1];
    const auto& [s1, u1] = pairs[j];
    if (s1 == s0) {
        return u0;
    }
    return u0 + (u1 - u0) * (system - s0) / (s1 - s0);
}

int64_t WholeUtc(std::optional<double> utc) {
    if (!utc || !std::isfinite(*utc) || std::fabs(*utc) > 1e15) {
        return kUnknownUtc;
    }
    return static_cast<int64_t>(std::floor(std::round(*utc * 1000.0) / 1000.0));
}

} // namespace

std::optional<int> GpmfSeconds::SecondOf(double seconds) const {
    if (!std::isfinite(seconds)) {
        return std::nullopt;
    }
    const double second = std::floor(seconds + 0.5);
    if (second < 0.0 || second > m_lastSecond) {
        return std::nullopt;
    }
    return static_cast<int>(second);
}

void GpmfSeconds::Fix(const GpmfFix& fix) {
    ++m_fixes;
    const std::optional<int> second = SecondOf(fix.seconds);
    if (!second || !fix.valid) {
        return;
    }
    std::optional<GpmfFix>& best = m_slots[*second].fix;
    if (!best || std::fabs(fix.seconds - *second) < std::fabs(best->seconds - *second)) {
        best = fix;
    }
}

void GpmfSeconds::Accel(double seconds, const std::array<double, 3>& g) {
    const std::optional<int> second = SecondOf(seconds);
    if (!second || !std::isfinite(g[0] + g[1] + g[2])) {
        return;
    }
    Slot& slot = m_slots[*second];
    for (size_t i = 0; i < 3; ++i) {
        slot.sum[i] += g[i];
    }
    ++slot.readings;
}

void GpmfSeconds::SystemClock(double system, double utc) {
    if (std::isfinite(system) && std::isfinite(utc) && m_clock.size() < kMaxClockPairs) {
        m_clock.emplace_back(system, utc);
    }
}

std::map<int, GpmfSecond> GpmfSeconds::Seconds() const {
    std::vector<std::pair<double, double>> clock = m_clock;
    std::sort(clock.begin(), clock.end());
    std::map<int, GpmfSecond> seconds;
    for (const auto& [second, slot] : m_slots) {
        GpmfSecond& out = seconds[second];
        out.utc = kUnknownUtc;
        if (slot.fix) {
            out.fix = slot.fix;
            const double fixClock = slot.fix->clock;
            out.utc = WholeUtc(slot.fix->systemClock ? SystemToUtc(clock, fixClock)
                                                     : std::optional(fixClock));
        }
        if (slot.readings > 0) {
            out.accel =
                std::array<double, 3>{slot.sum[0] / slot.readings, slot.sum[1] / slot.readings,
                                      slot.sum[2] / slot.readings};
        }
    }
    return seconds;
}
