// How far and how fast a clip's track went, and the UTC seconds it spans.
#include "track/TrackFigures.h"
#include "track/CMapTrackStore.h"
#include "track/CSpeedDialModel.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr int64_t kNoon = 1780000000; // any UTC second

// Along a meridian the haversine distance is the arc: 6371 km x pi/180 x degrees.
// 0.0001 degree is 11.119 m, so one such step a second is 40.03 km/h.
constexpr double kStepKm = 6371.0 * 3.14159265358979 / 180.0 * 0.0001;

struct Fix {
    int second;
    double latitude;
    char status;
    bool dated;
    int kmh; // -1 for no dial record
};

struct FiguresCase {
    std::string rule;
    std::vector<Fix> fixes;
    double km;
    int maxKmh;
    int64_t firstUtc;
    int64_t lastUtc;
};

TEST(TrackFigures, DistanceSpeedAndUtcSpanFollowTheFixes) {
    const std::vector<FiguresCase> cases{
        {"ten steps north",
         {{0, 59.0, 'A', true, 40},
          {1, 59.0001, 'A', true, 40},
          {2, 59.0002, 'A', true, 40},
          {3, 59.0003, 'A', true, 40},
          {4, 59.0004, 'A', true, 40},
          {5, 59.0005, 'A', true, 40},
          {6, 59.0006, 'A', true, 40},
          {7, 59.0007, 'A', true, 40},
          {8, 59.0008, 'A', true, 40},
          {9, 59.0009, 'A', true, 41},
          {10, 59.0010, 'A', true, 40}},
         10 * kStepKm,
         41,
         kNoon,
         kNoon + 10},
        // 0.0999 degree in a second is about 40 000 km/h: both steps to and from the jump
        // are left out.
        {"a jump is no distance",
         {{0, 59.0, 'A', true, 40},
          {1, 59.0001, 'A', true, 40},
          {2, 59.1, 'A', true, 40},
          {3, 59.0003, 'A', true, 40},
          {4, 59.0004, 'A', true, 40}},
         2 * kStepKm,
         40,
         kNoon,
         kNoon + 4},
        // Five steps over five seconds is still 40 km/h.
        {"seconds without a fix are passed over",
         {{0, 59.0, 'A', true, 40}, {3, 60.0, 'V', true, 99}, {5, 59.0005, 'A', true, 40}},
         5 * kStepKm,
         40,
         kNoon,
         kNoon + 5},
        {"the first dated fix dates second 0",
         {{0, 59.0, 'A', false, 10}, {2, 59.0002, 'A', true, 20}, {6, 59.0002, 'V', false, -1}},
         2 * kStepKm,
         20,
         kNoon,
         kNoon + 6},
        {"no dated fix, no UTC",
         {{0, 59.0, 'A', false, 10}, {1, 59.0001, 'A', false, 20}},
         kStepKm,
         20,
         kUnknownUtc,
         kUnknownUtc},
        {"a speed past any car's is a fault",
         {{0, 59.0, 'A', true, 60}, {1, 59.0001, 'A', true, 999}},
         kStepKm,
         60,
         kNoon,
         kNoon + 1},
    };
    for (const FiguresCase& c : cases) {
        SCOPED_TRACE(c.rule);
        CMapTrackStore map;
        CSpeedDialModel dial;
        for (const Fix& fix : c.fixes) {
            map.PutEntry(fix.second, fix.latitude, 18.0, fix.status,
                         fix.dated ? kNoon + fix.second : kUnknownUtc);
            if (fix.kmh >= 0) {
                dial.SetSpeedRecord(fix.second, fix.kmh, 0);
            }
        }
        const TrackFigures figures = MeasureTrack(map, dial);
        EXPECT_NEAR(figures.km, c.km, 1e-6);
        EXPECT_EQ(figures.maxKmh, c.maxKmh);
        EXPECT_EQ(figures.firstUtc, c.firstUtc);
        EXPECT_EQ(figures.lastUtc, c.lastUtc);
    }
}

} // namespace
