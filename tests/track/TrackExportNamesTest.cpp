// A clip's name goes into the GPX, KML and GeoJSON documents as text their readers take:
// control characters are dropped and bytes that are not UTF-8 become U+FFFD.
#include "track/CGSampleStore.h"
#include "track/CMapTrackStore.h"
#include "track/CSpeedDialModel.h"
#include "track/TrackExport.h"

#include "NmeaText.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace {

TEST(TrackExportNames, ControlCharactersAndInvalidUtf8AreCleanedFromTheName) {
    const std::string replacement = "\xef\xbf\xbd"; // U+FFFD in UTF-8
    const struct {
        std::string name;
        std::string expected;
    } rows[] = {
        {"tab\there\n.mp4", "tabhere.mp4"},
        {"bell\x07\x1b[31m\x7f.mp4", "bell[31m.mp4"},
        {"caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x9a\x97.mp4",
         "caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x9a\x97.mp4"},
        {"c1\xc2\x85.mp4", "c1.mp4"}, // NEL, a control character of the second set
        {"bad\xff\xfe.mp4", "bad" + replacement + replacement + ".mp4"},
        // An overlong slash, a surrogate and a sequence cut by the end: each byte is one.
        {"\xc0\xaf", replacement + replacement},
        {"\xed\xa0\x80", replacement + replacement + replacement},
        {"cut\xe2\x82", "cut" + replacement + replacement},
    };
    CMapTrackStore map;
    CGSampleStore chart;
    CSpeedDialModel dial;
    const TrackStores stores{map, chart, dial};
    // GeoJSON names only a feature, so the track needs a point.
    const std::string line = "T:0 X:0 Y:0 Z:0 G:0 " + Rmc("5930.0000", 'N', "01800.0000", 'E');
    ASSERT_EQ(map.StoreTrackLine(line.c_str()), 1);
    for (const auto& row : rows) {
        std::ostringstream gpx, kml, json;
        WriteTrackGpx(gpx, stores, row.name);
        WriteTrackKml(kml, stores, row.name);
        WriteTrackGeoJson(json, stores, row.name);
        EXPECT_NE(gpx.str().find("<name>" + row.expected + "</name>"), std::string::npos)
            << gpx.str();
        EXPECT_NE(kml.str().find("<name>" + row.expected + "</name>"), std::string::npos)
            << kml.str();
        EXPECT_NE(json.str().find("\"name\":\"" + row.expected + "\""), std::string::npos)
            << json.str();
    }
}

} // namespace
