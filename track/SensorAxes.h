// Which of a camera's three G-sensor axes points along the car, across it and up, decided
// from the clip's own data: cameras mount their sensor every way round, and a reading is
// only braking or cornering once we know which way the car faces.
//
// - Rest: each axis's median over the clip, the reading of a car doing nothing (gravity and
//   the mount's tilt). Events are judged on the reading minus rest.
// - Up: the axis whose rest is at least 0.5 g (gravity); a sensor that removes gravity
//   itself has none, and then up is the axis with the largest bumps at seconds whose GPS
//   speed does not change (or over all seconds without speed).
// - Along: of the two other axes, the one whose readings correlate best with the GPS
//   speed's change per second, its sign giving forward. This needs at least
//   kMinMovingSeconds seconds on the move (5 km/h) whose change of speed is known, and a
//   correlation of at least 0.5; without them along is the first of the two in X, Y, Z
//   order, forward positive, the way the player's own layout stores it.
// - Across: the remaining one.
#pragma once

#include <array>
#include <vector>

class CGSampleStore;
class CSpeedDialModel;

// One second's reading of the three axes, in g.
struct SensorReading {
    int second = 0;
    std::array<double, 3> value{};
};

struct SensorAxes {
    int along = 0;
    int across = 1;
    int up = 2;
    double forward = 1.0; // +1 when the along axis reads positive while the car speeds up
    std::array<double, 3> rest{};
};

// Seconds on the move, with a known change of speed, that deciding along from speed needs.
constexpr int kMinMovingSeconds = 10;

// The chart's seconds that hold a reading: the store's all-zero samples stand for seconds
// no source gave, and a value beyond any sensor's range for a damaged record, so both are
// left out.
std::vector<SensorReading> SensorReadings(const CGSampleStore& chart);

SensorAxes DecideSensorAxes(const std::vector<SensorReading>& readings,
                            const CSpeedDialModel& dial);
