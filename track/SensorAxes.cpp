#include "track/SensorAxes.h"

#include "track/CGSampleStore.h"
#include "track/CSpeedDialModel.h"
#include "track/SpeedSpan.h"

#include <algorithm>
#include <cmath>

namespace {

// Gravity reads 1 g on the axis that carries it; half of that still tells it apart from
// any tilt a windscreen mount gives the other axes.
constexpr double kGravityRestG = 0.5;
// A correlation weaker than this could as well come from the lateral axis in a turn.
constexpr double kMinCorrelation = 0.5;
// A change of speed within the dial's whole km/h and the receiver's jitter.
constexpr double kSteadyKmhPerSecond = 1.0;
// Vehicle accelerometers read at most 16 g; anything beyond is a damaged record.
constexpr float kSensorRangeG = 16.0f;

double Median(std::vector<double> values) {
    if (values.empty()) {
        return 0.0;
    }
    const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

// Pearson's correlation; 0 when either series does not vary.
double Correlation(const std::vector<double>& a, const std::vector<double>& b) {
    const double n = static_cast<double>(a.size());
    double meanA = 0.0;
    double meanB = 0.0;
    for (size_t i = 0; i < a.size(); ++i) {
        meanA += a[i] / n;
        meanB += b[i] / n;
    }
    double ab = 0.0;
    double aa = 0.0;
    double bb = 0.0;
    for (size_t i = 0; i < a.size(); ++i) {
        ab += (a[i] - meanA) * (b[i] - meanB);
        aa += (a[i] - meanA) * (a[i] - meanA);
        bb += (b[i] - meanB) * (b[i] - meanB);
    }
    return aa > 0.0 && bb > 0.0 ? ab / std::sqrt(aa * bb) : 0.0;
}

int UpAxis(const std::vector<SensorReading>& readings, const CSpeedDialModel& dial,
           const std::array<double, 3>& rest) {
    int up = 0;
    for (int axis = 1; axis < 3; ++axis) {
        if (std::fabs(rest[axis]) > std::fabs(rest[up])) {
            up = axis;
        }
    }
    if (std::fabs(rest[up]) >= kGravityRestG) {
        return up;
    }
    std::array<double, 3> bumps{};
    for (const SensorReading& reading : readings) {
        const std::optional<double> change = SpeedChangeAt(dial, reading.second);
        if (change && std::fabs(*change) > kSteadyKmhPerSecond) {
            continue;
        }
        for (int axis = 0; axis < 3; ++axis) {
            const double bump = reading.value[axis] - rest[axis];
            bumps[axis] += bump * bump;
        }
    }
    return static_cast<int>(std::max_element(bumps.begin(), bumps.end()) - bumps.begin());
}

} // namespace

std::vector<SensorReading> SensorReadings(const CGSampleStore& chart) {
    std::vector<SensorReading> readings;
    for (size_t second = 0; second < chart.m_samples.size(); ++second) {
        const GSample& sample = chart.m_samples[second];
        const bool given = sample.x != 0.0f || sample.y != 0.0f || sample.z != 0.0f;
        const bool inRange = std::fabs(sample.x) <= kSensorRangeG &&
                             std::fabs(sample.y) <= kSensorRangeG &&
                             std::fabs(sample.z) <= kSensorRangeG;
        if (given && inRange) {
            readings.push_back({static_cast<int>(second), {sample.x, sample.y, sample.z}});
        }
    }
    return readings;
}

SensorAxes DecideSensorAxes(const std::vector<SensorReading>& readings,
                            const CSpeedDialModel& dial) {
    SensorAxes axes;
    for (int axis = 0; axis < 3; ++axis) {
        std::vector<double> values;
        values.reserve(readings.size());
        for (const SensorReading& reading : readings) {
            values.push_back(reading.value[axis]);
        }
        axes.rest[axis] = Median(std::move(values));
    }
    axes.up = UpAxis(readings, dial, axes.rest);
    const int first = axes.up == 0 ? 1 : 0;
    const int second = axes.up == 2 ? 1 : 2;
    axes.along = first;
    axes.across = second;

    std::vector<double> changes;
    std::array<std::vector<double>, 2> horizontal;
    for (const SensorReading& reading : readings) {
        const SpeedRecord* now = dial.Find(reading.second);
        const std::optional<double> change = SpeedChangeAt(dial, reading.second);
        if (now == nullptr || now->speed < kMovingKmh || !change) {
            continue;
        }
        changes.push_back(*change);
        horizontal[0].push_back(reading.value[first] - axes.rest[first]);
        horizontal[1].push_back(reading.value[second] - axes.rest[second]);
    }
    if (changes.size() < static_cast<size_t>(kMinMovingSeconds)) {
        return axes;
    }
    const double withFirst = Correlation(horizontal[0], changes);
    const double withSecond = Correlation(horizontal[1], changes);
    const bool secondIsAlong = std::fabs(withSecond) > std::fabs(withFirst);
    const double best = secondIsAlong ? withSecond : withFirst;
    if (std::fabs(best) < kMinCorrelation) {
        return axes;
    }
    if (secondIsAlong) {
        std::swap(axes.along, axes.across);
    }
    axes.forward = best > 0.0 ? 1.0 : -1.0;
    return axes;
}
