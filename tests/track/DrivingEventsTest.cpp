// Driving events from a clip's G-sensor readings and GPS speed: each rule on a short drive
// written out second by second, read through sensors mounted every way round.
#include "track/DrivingEvents.h"
#include "track/CGSampleStore.h"
#include "track/CSpeedDialModel.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <string>
#include <vector>

namespace {

// One second of the drive as the car feels it: along (forward positive), across and up, g.
struct DriveSecond {
    int kmh;
    int heading;
    double along;
    double across;
    double up;
};

// Pulls away, cruises at 38 km/h, slows down, turns right at 12 km/h and slows again. The
// accelerations follow the speeds (1 g is 35.3 km/h per second) and stay gentle: no event of its
// own.
const std::vector<DriveSecond> kDrive = {
    {0, 30, 0.00, 0.00, 1.0},   {0, 30, 0.10, 0.00, 1.0},   {4, 30, 0.15, 0.00, 1.0},
    {10, 30, 0.20, 0.00, 1.0},  {17, 30, 0.20, 0.00, 1.0},  {24, 30, 0.20, 0.00, 1.0},
    {31, 30, 0.15, 0.00, 1.0},  {36, 30, 0.05, 0.00, 1.0},  {38, 30, 0.00, 0.00, 1.0},
    {38, 30, 0.00, 0.00, 1.0},  {38, 30, 0.00, 0.00, 1.0},  {38, 30, -0.10, 0.00, 1.0},
    {34, 30, -0.25, 0.00, 1.0}, {26, 30, -0.25, 0.00, 1.0}, {18, 30, -0.20, 0.00, 1.0},
    {14, 40, -0.05, 0.05, 1.0}, {12, 50, 0.00, 0.05, 1.0},  {12, 60, 0.00, 0.05, 1.0},
    {12, 70, 0.00, 0.05, 1.0},  {6, 80, -0.15, 0.00, 1.0},
};

// What the sensor reads in a second that differs from the drive above.
struct Jolt {
    int second;
    double along;
    double across;
    double up;
};

// Where each of along, across and up lands on the sensor's X, Y, Z, and with which sign.
struct Mount {
    std::array<int, 3> axis;
    std::array<double, 3> sign;
};
const Mount kUpright{{0, 1, 2}, {1, 1, 1}};
// Swapped and negated every way: along reads backwards on Z, up hangs on -Y.
const Mount kRotated{{2, 0, 1}, {-1, 1, -1}};

struct Case {
    std::string name;
    std::vector<Jolt> jolts;
    Mount mount;
    bool withSpeed;
    std::vector<std::string> events; // second, kind, peak g, km/h
};

std::vector<std::string> Detect(const Case& c) {
    CGSampleStore chart;
    CSpeedDialModel dial;
    chart.m_samples.assign(kDrive.size(), GSample{});
    for (size_t second = 0; second < kDrive.size(); ++second) {
        const DriveSecond& d = kDrive[second];
        std::array<double, 3> felt{d.along, d.across, d.up};
        for (const Jolt& jolt : c.jolts) {
            if (jolt.second == static_cast<int>(second)) {
                felt = {jolt.along, jolt.across, jolt.up};
            }
        }
        std::array<float, 3> sensor{};
        for (int i = 0; i < 3; ++i) {
            sensor[c.mount.axis[i]] = static_cast<float>(c.mount.sign[i] * felt[i]);
        }
        chart.m_samples[second] = {sensor[0], sensor[1], sensor[2], 0.0f};
        if (c.withSpeed) {
            dial.SetSpeedRecord(static_cast<int>(second), d.kmh, d.heading);
        }
    }
    std::vector<std::string> rows;
    for (const DrivingEvent& e : DetectDrivingEvents(chart, dial)) {
        char peak[32];
        std::snprintf(peak, sizeof peak, "%.2f", e.peakG);
        rows.push_back(std::to_string(e.second) + " " + DrivingEventName(e.kind) + " " + peak +
                       " " + (e.speedKmh ? std::to_string(*e.speedKmh) : "-"));
    }
    return rows;
}

// Peaks are the jolt's value minus the axis's median over the drive, which is 0 along and
// across (most seconds read 0) and 1 g up; speeds are the drive's at the second.
const std::vector<Case> kCases = {
    {"braking pulse", {{12, -0.50, 0.0, 1.0}}, kUpright, true, {"12 harsh-braking 0.50 34"}},
    {"braking pulse, sensor rotated",
     {{12, -0.50, 0.0, 1.0}},
     kRotated,
     true,
     {"12 harsh-braking 0.50 34"}},
    {"pothole: vertical bump and a jolt while the speed stays",
     {{9, -0.45, 0.10, 2.2}},
     kRotated,
     true,
     {}},
    {"harsh acceleration", {{4, 0.40, 0.0, 1.0}}, kUpright, true, {"4 harsh-acceleration 0.40 17"}},
    {"hard cornering while the course turns",
     {{17, 0.0, 0.45, 1.0}},
     kRotated,
     true,
     {"17 hard-cornering 0.45 12"}},
    // sqrt(1.8² + 0.9² + 0.3²) = 2.03
    {"impact", {{9, -1.8, 0.9, 1.3}}, kUpright, true, {"9 impact 2.03 38"}},
    {"two braking seconds are one event at the peak",
     {{12, -0.50, 0.0, 1.0}, {13, -0.60, 0.0, 1.0}},
     kRotated,
     true,
     {"13 harsh-braking 0.60 26"}},
    {"a reading past any sensor's range is damage, not an impact",
     {{9, -200.0, 0.0, 1.0}},
     kUpright,
     true,
     {}},
    {"braking at the clip's last second",
     {{19, -0.50, 0.0, 1.0}},
     kUpright,
     true,
     {"19 harsh-braking 0.50 6"}},
    {"without speed a lone spike is no event", {{12, -0.50, 0.0, 1.0}}, kUpright, false, {}},
    {"without speed two seconds past the threshold are one",
     {{12, -0.50, 0.0, 1.0}, {13, -0.60, 0.0, 1.0}},
     kUpright,
     false,
     {"13 harsh-braking 0.60 -"}},
};

TEST(DrivingEvents, FoundByTheRules) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Detect(c), c.events);
    }
}

} // namespace
