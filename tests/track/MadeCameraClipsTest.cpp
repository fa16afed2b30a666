// Camera layouts as our clip maker writes them from their public descriptions, read as the
// player loads a clip and checked, second by second, against exiftool's reading of the
// same clip.
#include "tests/support/ClipMaker.h"
#include "tests/support/Shell.h"
#include "track/CGSampleStore.h"
#include "track/CMapTrackStore.h"
#include "track/CSpeedDialModel.h"
#include "track/ClipTrackLoader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>

namespace {

// exiftool lists each second's record (each GoPro payload) as a document of its own, a
// GoPro payload's 18 fixes in order; the first of each is the fix at the second's start,
// the last ("last GPSLatitude") the one 17/18 s later.
std::map<int, std::map<std::string, double>> FirstFixOfEachSecond(const std::string& clip) {
    const std::string listing =
        Shell("exiftool -q -q -ee3 -n -a -G3 -s -GPSLatitude -GPSLongitude -GPSSpeed " +
              Quoted(clip))
            .out;
    std::map<int, std::map<std::string, double>> docs;
    std::istringstream lines(listing);
    std::string doc;
    std::string tag;
    std::string colon;
    double value = 0.0;
    while (lines >> doc >> tag >> colon >> value) {
        const int k = std::stoi(doc.substr(4)); // "[DocN]"
        docs[k].try_emplace(tag, value);
        docs[k]["last " + tag] = value;
    }
    return docs;
}

TEST(GoProMadeClip, EverySecondIsExiftoolsFixAtItsStart) {
    const std::filesystem::path folder = TestFolder("gopro");
    const std::string clip = (folder / "GX010001.MP4").string();
    ASSERT_EQ(MakeClip(clip, "--layout gopro --seconds 8").status, 0);
    CMapTrackStore map;
    CGSampleStore chart;
    CSpeedDialModel dial;
    map.SetSpeedDial(&dial);
    TrackSourceOutcome outcome;
    ASSERT_TRUE(LoadEmbeddedTrack(clip, {map, chart, dial}, outcome));
    EXPECT_EQ(outcome.family, "GoPro GPMF");

    const auto docs = FirstFixOfEachSecond(clip);
    ASSERT_EQ(docs.size(), 8u);
    // The clip's end, second 8, takes the last payload's last fix (7 + 17/18 s), the
    // nearest to it.
    ASSERT_EQ(map.size(), 9u);
    EXPECT_NEAR(map.m_latitudes[8], docs.at(8).at("last GPSLatitude"), 1e-7);
    EXPECT_NEAR(map.m_longitudes[8], docs.at(8).at("last GPSLongitude"), 1e-7);
    for (int s = 0; s < 8; ++s) {
        SCOPED_TRACE("second " + std::to_string(s));
        const auto& theirs = docs.at(s + 1);
        EXPECT_EQ(map.m_fixStatus[s], 'A');
        EXPECT_NEAR(map.m_latitudes[s], theirs.at("GPSLatitude"), 1e-7);
        EXPECT_NEAR(map.m_longitudes[s], theirs.at("GPSLongitude"), 1e-7);
        // GPS5 speeds are m/s; the dial takes whole km/h.
        EXPECT_NEAR(dial.Find(s)->speed, theirs.at("GPSSpeed") * 3.6, 1.0);
        // The clip maker's drive starts 2024-06-01T12:00:00Z, one payload a second.
        EXPECT_EQ(map.m_utcTimes[s], 1717243200 + s);
    }
    std::filesystem::remove_all(folder);
}

// The box holds no fix times: exiftool's k-th record is the clip's second k - 1.
TEST(SeventyMaiMadeClip, EverySecondOfTheGpsBoxIsExiftoolsRecord) {
    const std::filesystem::path folder = TestFolder("70mai-box");
    const std::string clip = (folder / "NO20240601-120000-000001F.MP4").string();
    ASSERT_EQ(MakeClip(clip, "--layout 70mai-box --seconds 6").status, 0);
    CMapTrackStore map;
    CGSampleStore chart;
    CSpeedDialModel dial;
    map.SetSpeedDial(&dial);
    TrackSourceOutcome outcome;
    ASSERT_TRUE(LoadEmbeddedTrack(clip, {map, chart, dial}, outcome));
    EXPECT_EQ(outcome.family, "70mai GPS box");

    const auto docs = FirstFixOfEachSecond(clip);
    ASSERT_EQ(docs.size(), 6u);
    ASSERT_EQ(map.size(), 6u);
    for (int s = 0; s < 6; ++s) {
        SCOPED_TRACE("second " + std::to_string(s));
        const auto& theirs = docs.at(s + 1);
        EXPECT_NEAR(map.m_latitudes[s], theirs.at("GPSLatitude"), 1e-7);
        EXPECT_NEAR(map.m_longitudes[s], theirs.at("GPSLongitude"), 1e-7);
        // Stored as km/h x 1000; the dial takes it whole.
        EXPECT_EQ(dial.Find(s)->speed, static_cast<int>(theirs.at("GPSSpeed")));
    }
    std::filesystem::remove_all(folder);
}

} // namespace
