// What the exports work out from a clip's stores.
#include "track/TrackExport.h"
#include "track/CGSampleStore.h"
#include "track/CMapTrackStore.h"
#include "track/CSpeedDialModel.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(ClipStart, TakenFromSecondsWithAFixOnly) {
    // 2026-12-07T12:00:00Z is 1796644800; 1980-01-05T00:00:00Z is 315878400.
    constexpr int64_t kNoon = 1796644800;
    struct Entry {
        char fix;
        int64_t utc;
    };
    const struct {
        std::vector<Entry> entries; // from second 0
        int64_t start;              // by hand: a fix's time less its second
    } cases[] = {
        {{{'V', 315878400}, {'V', 315878401}, {'A', kNoon + 2}}, kNoon},
        {{{'V', kNoon - 3 * 3600}, {'A', kUnknownUtc}, {'A', kNoon + 5}}, kNoon + 3},
        {{{'V', kNoon}, {'V', kNoon + 1}}, kUnknownUtc},
    };
    for (const auto& c : cases) {
        CMapTrackStore map;
        CGSampleStore chart;
        CSpeedDialModel dial;
        for (size_t s = 0; s < c.entries.size(); ++s) {
            map.PutEntry(static_cast<int>(s), 59.5, 18.0, c.entries[s].fix, c.entries[s].utc);
        }
        EXPECT_EQ(ClipStartUtc({map, chart, dial}), c.start);
    }
}

} // namespace
