// The owner of the playing clip's track: what it loads into the three stores the panes show,
// and what it tells them. Clips and truths come from the clip maker (make_test_clips.py).
#include "app/CClipSession.h"
#include "tests/support/ClipMaker.h"
#include "tests/track/NmeaText.h"
#include "track/TrackDispatch.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const std::string kData = OSTVIK_TESTDATA;
constexpr size_t kLatitude = 1;
constexpr size_t kXRaw = 5;

// Every change the session announced, in order.
struct Changes {
    explicit Changes(CClipSession& session) {
        QObject::connect(&session, &CClipSession::changed,
                         [this](const TrackChange& change) { seen.push_back(change); });
    }
    int Count(TrackChange::Kind kind) const {
        int count = 0;
        for (const TrackChange& change : seen) {
            count += change.kind == kind ? 1 : 0;
        }
        return count;
    }
    std::vector<TrackChange> seen;
};

TEST(ClipSession, AClipFillsAllThreeStoresAndItsLogsFollowWhenItHeldNoFix) {
    CClipSession session;
    Changes changes(session);
    ASSERT_TRUE(session.LoadClip(QString::fromStdString(kData + "/drive.MP4")));
    const auto truth = ReadTruth(kData + "/drive.truth.csv");
    ASSERT_EQ(truth.size(), 12u);
    const ClipTrack& track = session.Track();
    ASSERT_EQ(track.Map().size(), 12u);
    EXPECT_NEAR(track.Map().m_latitudes[11], truth[11][kLatitude], 1e-4);
    EXPECT_EQ(track.Chart().m_samples.size(), 12u);
    EXPECT_EQ(track.Dial().m_records.size(), 12u);
    ASSERT_EQ(changes.seen.size(), 1u);
    EXPECT_EQ(changes.seen[0].kind, TrackChange::Kind::Reloaded);

    // The next clip holds no fix: nothing of the last one stays until its log is read.
    EXPECT_FALSE(session.LoadClip(QString::fromStdString(kData + "/nofix.MP4")));
    EXPECT_EQ(session.SidecarPath(), QString::fromStdString(kData + "/nofix.TXT"));
    for (int second = 0; second < static_cast<int>(track.Map().size()); ++second) {
        EXPECT_FALSE(track.Map().HasPosition(second)) << second;
    }
    session.LoadLogs();
    const auto logTruth = ReadTruth(kData + "/nofix-log.truth.csv");
    ASSERT_EQ(logTruth.size(), 5u);
    ASSERT_EQ(track.Map().size(), 5u);
    EXPECT_NEAR(track.Map().m_latitudes[4], logTruth[4][kLatitude], 1e-4);
    EXPECT_EQ(changes.Count(TrackChange::Kind::Reloaded), 3);
}

// The sidecar's lines go through the process-wide dispatch, whose one consumer is the
// session: every second reaches the chart, and the panes hear of each.
TEST(ClipSession, TheSidecarAsTheClipStartsReachesTheChartThroughTheDispatch) {
    CClipSession session;
    Changes changes(session);
    EXPECT_FALSE(session.LoadClip(QString::fromStdString(kData + "/sidecar.MOV")));
    const auto truth = ReadTruth(kData + "/sidecar.truth.csv");
    ASSERT_EQ(truth.size(), 8u);
    EXPECT_EQ(session.ReadSidecar(), 8);
    const CGSampleStore& chart = session.Track().Chart();
    ASSERT_EQ(chart.m_samples.size(), 8u);
    // The maker writes X in steps of 1/64 g, and every fourth line (seconds 3 and 7) as a
    // bare sentence, a second without G values.
    for (size_t second = 0; second < truth.size(); ++second) {
        const double x = second % 4 == 3 ? 0.0 : truth[second][kXRaw] / 64.0;
        EXPECT_FLOAT_EQ(chart.m_samples[second].x, x) << second;
    }
    EXPECT_EQ(changes.Count(TrackChange::Kind::ChartLine), 8);
}

TEST(ClipSession, AMapLineSaysWhetherItMovedASecondAlreadyHeld) {
    CClipSession session;
    Changes changes(session);
    const std::string here = "T:0 X:0 Y:0 Z:1 G:0 " + Rmc("5930.0000", 'N', "01800.0000", 'E');
    const std::string there = "T:0 X:0 Y:0 Z:1 G:0 " + Rmc("5930.5000", 'N', "01800.0000", 'E');
    DispatchTrackLine(here.c_str(), static_cast<int>(here.size()), nullptr);
    DispatchTrackLine(here.c_str(), static_cast<int>(here.size()), nullptr);
    DispatchTrackLine(there.c_str(), static_cast<int>(there.size()), nullptr);
    std::vector<bool> moved;
    for (const TrackChange& change : changes.seen) {
        if (change.kind == TrackChange::Kind::MapLine) {
            EXPECT_EQ(change.second, 0);
            moved.push_back(change.moved);
        }
    }
    EXPECT_EQ(moved, (std::vector<bool>{false, false, true}));
    EXPECT_NEAR(session.Track().Map().m_latitudes[0], 59.5 + 0.5 / 60, 1e-9);
    EXPECT_EQ(changes.Count(TrackChange::Kind::ChartLine), 3);
}

// A session gone leaves the dispatch with no consumer rather than a dangling one.
TEST(ClipSession, LinesAfterTheSessionIsGoneReachNobody) {
    { CClipSession session; }
    const std::string line = "T:0 X:0 Y:0 Z:1 G:0";
    EXPECT_EQ(DispatchTrackLine(line.c_str(), static_cast<int>(line.size()), nullptr), 0);
}

} // namespace
