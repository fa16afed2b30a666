#include "track/CGSampleStore.h"

#include <gtest/gtest.h>

namespace {

GSample Sample(const CGSampleStore& store, size_t second) {
    return store.m_samples.at(second);
}

TEST(GSampleStore, NewStoreHoldsOneZeroSampleOnAWideScale) {
    CGSampleStore store;
    ASSERT_EQ(store.m_samples.size(), 1u);
    EXPECT_EQ(Sample(store, 0).x, 0.0f);
    EXPECT_EQ(store.m_nScale, 10000u);
    EXPECT_EQ(store.m_nLastSecond, 0u);
}

TEST(GSampleStore, LinesInOrderSetTheScaleToTheLastSecond) {
    CGSampleStore store;
    EXPECT_EQ(store.AddTrackLine("T:0 X:0.1 Y:0.2 Z:1.0 G:0.0 $GPRMC"), 1);
    EXPECT_EQ(store.AddTrackLine("T:1000 X:0.2 Y:0.2 Z:1.0 G:0.0"), 1);
    EXPECT_EQ(store.AddTrackLine("T:2000 X:-0.5 Y:0.25 Z:0.75 G:0.125"), 1);
    ASSERT_EQ(store.m_samples.size(), 3u);
    EXPECT_EQ(store.m_nScale, 2u);
    EXPECT_FLOAT_EQ(Sample(store, 2).x, -0.5f);
    EXPECT_FLOAT_EQ(Sample(store, 2).y, 0.25f);
    EXPECT_FLOAT_EQ(Sample(store, 2).z, 0.75f);
    EXPECT_FLOAT_EQ(Sample(store, 2).g, 0.125f);
    EXPECT_EQ(PointAt({0, 0, 200, 76}, store.m_nScale, 2, 0.0).x, 200);
}

TEST(GSampleStore, SkippedSecondsGetZeroSamples) {
    CGSampleStore store;
    store.AddTrackLine("T:0 X:0.5 Y:0 Z:0 G:0");
    store.AddTrackLine("T:1000 X:0.5 Y:0 Z:0 G:0");
    store.AddTrackLine("T:4999 X:1 Y:0 Z:0 G:0");
    ASSERT_EQ(store.m_samples.size(), 5u);
    EXPECT_EQ(Sample(store, 2).x, 0.0f);
    EXPECT_EQ(Sample(store, 3).x, 0.0f);
    EXPECT_EQ(Sample(store, 4).x, 1.0f);
    EXPECT_EQ(store.m_nScale, 4u);
}

TEST(GSampleStore, EarlierSecondCutsTheStoreAndAsksForARepaint) {
    CGSampleStore store;
    for (int t = 0; t < 5000; t += 1000) {
        store.AddTrackLine(("T:" + std::to_string(t) + " X:0.25 Y:0 Z:0 G:0").c_str());
    }
    store.TakeRepaintRequest();
    store.AddTrackLine("T:1000 X:0.75 Y:0 Z:0 G:0");
    ASSERT_EQ(store.m_samples.size(), 2u);
    EXPECT_EQ(Sample(store, 1).x, 0.75f);
    EXPECT_EQ(store.m_nScale, 1u);
    EXPECT_TRUE(store.TakeRepaintRequest());
    EXPECT_FALSE(store.TakeRepaintRequest());
}

TEST(GSampleStore, OddLinesStoreWhatTheyCan) {
    CGSampleStore store;
    store.AddTrackLine("T:-1500 X:0.5 Y:0 Z:0 G:0");
    ASSERT_EQ(store.m_samples.size(), 1u);
    EXPECT_EQ(Sample(store, 0).x, 0.5f);

    store.AddTrackLine("T:3000");
    ASSERT_EQ(store.m_samples.size(), 4u);
    EXPECT_EQ(Sample(store, 3).x, 0.0f);

    store.AddTrackLine("T:4000 X:0.5 Y:oops Z:1 G:1");
    EXPECT_EQ(Sample(store, 4).x, 0.5f);
    EXPECT_EQ(Sample(store, 4).y, 0.0f);
    EXPECT_EQ(Sample(store, 4).z, 0.0f); // reading stops at the first mismatch

    store.AddTrackLine("T:5000 X:nan Y:inf Z:1 G:0");
    EXPECT_EQ(Sample(store, 5).x, 0.0f);
    EXPECT_EQ(Sample(store, 5).y, 0.0f);
    EXPECT_EQ(Sample(store, 5).z, 1.0f);
}

TEST(GSampleStore, EverySpellingOfANumberReadsAsScanfReadsIt) {
    CGSampleStore store;
    // Plain fields, exponents and signs; then spellings only scanf takes: blanks after a
    // colon, a '+', hex, and a cut exponent, which glibc's scanf reads as its mantissa.
    store.AddTrackLine("T:0 X:-0.01562 Y:1.5e-1 Z:2E0 G:-0 $GPRMC,1");
    store.AddTrackLine("T:1000 X: 0.5 Y:+0.25 Z:0x1p-2 G:1");
    store.AddTrackLine("T:2000 X:0.5 Y:1e Z:1 G:1");
    store.AddTrackLine("T:3000 X:1e50 Y:0.1 Z:0.2 G:0.3");
    ASSERT_EQ(store.m_samples.size(), 4u);
    EXPECT_EQ(Sample(store, 0).x, -0.01562f);
    EXPECT_EQ(Sample(store, 0).y, 0.15f);
    EXPECT_EQ(Sample(store, 0).z, 2.0f);
    EXPECT_EQ(Sample(store, 0).g, 0.0f);
    EXPECT_EQ(Sample(store, 1).x, 0.5f);
    EXPECT_EQ(Sample(store, 1).y, 0.25f);
    EXPECT_EQ(Sample(store, 1).z, 0.25f);
    EXPECT_EQ(Sample(store, 1).g, 1.0f);
    EXPECT_EQ(Sample(store, 2).y, 1.0f);
    EXPECT_EQ(Sample(store, 2).z, 1.0f);
    EXPECT_EQ(Sample(store, 3).x, 0.0f); // beyond a float: infinite, so kept out
    EXPECT_EQ(Sample(store, 3).y, 0.1f);
    EXPECT_EQ(Sample(store, 3).g, 0.3f);
}

TEST(GSampleStore, LinesWithoutATimeOrBeyondAnyClipChangeNothing) {
    CGSampleStore store;
    store.AddTrackLine("T:1000 X:0.5 Y:0 Z:0 G:0");
    EXPECT_EQ(store.AddTrackLine(nullptr), 0);
    EXPECT_EQ(store.AddTrackLine("X:1 Y:1 Z:1 G:1"), 0);
    EXPECT_EQ(store.AddTrackLine("T:999999999999 X:1 Y:1 Z:1 G:1"), 0);
    EXPECT_EQ(store.m_samples.size(), 2u);
}

TEST(GSampleStore, SecondZeroAloneLeavesScaleZeroWithoutDividingByIt) {
    CGSampleStore store;
    store.AddTrackLine("T:0 X:1 Y:0 Z:0 G:0");
    EXPECT_EQ(store.m_samples.size(), 1u);
    EXPECT_EQ(store.m_nScale, 0u);
    EXPECT_EQ(PointAt({0, 0, 200, 76}, store.m_nScale, 0, 1.0), (ChartPoint{0, 19}));
}

TEST(GSampleStore, ResetStartsANewClip) {
    CGSampleStore store;
    store.AddTrackLine("T:3000 X:1 Y:0 Z:0 G:0");
    store.m_nLastSecond = 3;
    store.TakeRepaintRequest();
    store.ResetTrack(0);
    EXPECT_EQ(store.m_samples.size(), 1u);
    EXPECT_EQ(Sample(store, 0).x, 0.0f);
    EXPECT_EQ(store.m_nScale, 1u);
    EXPECT_EQ(store.m_nLastSecond, 0u);
    EXPECT_TRUE(store.TakeRepaintRequest());
    store.ResetTrack(120);
    EXPECT_EQ(store.m_nScale, 120u);
}

TEST(ChartPointAt, RowsForAnOddHeight) {
    const ChartRect rect{0, 0, 300, 151};
    EXPECT_EQ(PointAt(rect, 10, 0, 2.0).y, 0);
    EXPECT_EQ(PointAt(rect, 10, 0, 1.0).y, 37);
    EXPECT_EQ(PointAt(rect, 10, 0, 0.0).y, 75);
    EXPECT_EQ(PointAt(rect, 10, 0, -1.0).y, 112); // one row above the -1 g grid line
    EXPECT_EQ(PointAt(rect, 10, 0, -2.0).y, 150);
    EXPECT_LT(PointAt(rect, 10, 0, 2.5).y, 0); // beyond the chart: clipped when drawn
}

TEST(ChartPointAt, ColumnsSpreadTheClipOverTheWidth) {
    const ChartRect rect{10, 5, 200, 76};
    EXPECT_EQ(PointAt(rect, 3, 0, 0.0), (ChartPoint{10, 43}));
    EXPECT_EQ(PointAt(rect, 3, 1, 0.0).x, 76); // 10 + 66.67, truncated
    EXPECT_EQ(PointAt(rect, 3, 3, 0.0).x, 210);
}

} // namespace
