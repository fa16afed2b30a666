// Which clips the camera kept as events: by their names or by the folders they lie in.
#include "track/ClipSummary.h"
#include "track/ClipTrack.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(ClipSummary, LockedByItsNameOrItsFolder) {
    const std::vector<std::pair<std::string, bool>> cases{
        {"/card/DCIM/Movie/2024_1001_160000_F.MP4", false},
        {"/card/DCIM/Movie/RO/2024_1001_160000_F.MP4", true},
        {"/card/DCIM/EVENT/20241001_160000_NF.mp4", true},
        {"/card/Event/Front/NO20241001-160000-000123F.MP4", true},
        {"/card/Protected/x.mp4", true},
        {"/card/emr/x.mp4", true},
        {"/card/Normal/Front/EV20241001-160000-000123F.MP4", true},
        {"/card/Normal/Front/NO20241001-160000-000123F.MP4", false},
        {"/card/ro/Normal/Front/NO20241001-160000-000123F.MP4", false},
        {"/card/EVENTS/x.mp4", false},
    };
    const ClipTrack noTrack;
    for (const auto& [path, locked] : cases) {
        SCOPED_TRACE(path);
        EXPECT_EQ(SummariseClip(path, noTrack).locked, locked);
    }
}

} // namespace
