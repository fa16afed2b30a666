// An excerpt's (or a drive's) pieces written as one track file, through the track formats.
#include "track/ExcerptTrack.h"
#include "track/ExcerptMarks.h"
#include "track/TrackExport.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <sstream>
#include <string>

namespace {

// One clip's stores with a fix, a speed and a G sample in every second: latitude
// `latitude0` + s / 10, speed `speed0` + s, sample x `x0` + s.
struct ClipStores {
    CMapTrackStore map;
    CGSampleStore chart;
    CSpeedDialModel dial;
    ClipStores(int seconds, double latitude0, int speed0, float x0) {
        chart.m_samples.clear();
        for (int s = 0; s < seconds; ++s) {
            map.PutEntry(s, latitude0 + s / 10.0, 10.5, 'A');
            dial.SetSpeedRecord(s, speed0 + s, 90);
            chart.m_samples.push_back({x0 + static_cast<float>(s), 0.0f, 1.0f, 0.0f});
        }
    }
    TrackStores Stores() { return {map, chart, dial}; }
};

// a.mp4 of 3 s at drive second 0 and b.mp4 of 2 s at drive second 5 (2 s unrecorded between).
std::shared_ptr<const LoadedDrive> TwoClipDrive() {
    auto drive = std::make_shared<LoadedDrive>();
    DriveClip a;
    a.main.path = "/card/a.mp4";
    a.main.seconds = 3;
    DriveClip b;
    b.main.path = "/card/b.mp4";
    b.main.seconds = 2;
    b.at = 5;
    drive->drive.clips = {a, b};
    return drive;
}

// Rows written by hand from the clips above: each piece's whole seconds, one after another.
TEST(ExcerptTrack, PiecesBecomeOneTrackFile) {
    ClipStores a(3, 59.0, 30, 0.0f);
    ClipStores b(2, 60.0, 40, 10.0f);
    TrackStores aStores = a.Stores();
    TrackStores bStores = b.Stores();
    const std::map<std::string, const TrackStores*> tracks{{"/card/a.mp4", &aStores},
                                                           {"/card/b.mp4", &bStores}};
    const auto trackOf = [&](const std::string& path) -> const TrackStores* {
        const auto found = tracks.find(path);
        return found != tracks.end() ? found->second : nullptr;
    };
    const auto drive = TwoClipDrive();
    const std::string header = "second,fix,latitude,longitude,speed,heading,x,y,z,g\n";
    const std::string a1 = "A,59.100000,10.500000,31,90,1.00000,0.00000,1.00000,0.00000\n";
    const std::string a2 = "A,59.200000,10.500000,32,90,2.00000,0.00000,1.00000,0.00000\n";
    const std::string b0 = "A,60.000000,10.500000,40,90,10.00000,0.00000,1.00000,0.00000\n";

    // Drive seconds 1.5 to 5.5: a.mp4 from 1.5 (seconds 1 and 2), b.mp4 to 0.5 (second 0).
    ExcerptMarks marks;
    marks.Follow("/card/a.mp4", drive);
    marks.SetStart(1.5);
    marks.SetEnd(5.5);
    ExcerptTrack excerpt;
    excerpt.Build(marks.Pieces(), trackOf);
    std::ostringstream csv;
    WriteTrack(csv, TrackFormat::Csv, excerpt.Stores(), "excerpt");
    EXPECT_EQ(csv.str(), header + "0," + a1 + "1," + a2 + "2," + b0);

    // A clip with no track keeps its seconds, empty, and the next piece stays after them.
    const std::vector<ExcerptPiece> lost{{"/card/gone.mp4", 0, 2}, {"/card/b.mp4", 0, 1}};
    excerpt.Build(lost, trackOf);
    std::ostringstream afterLost;
    WriteTrack(afterLost, TrackFormat::Csv, excerpt.Stores(), "excerpt");
    EXPECT_EQ(afterLost.str(),
              header + "0,V,0.000000,0.000000,,,0.00000,0.00000,0.00000,0.00000\n" +
                  "1,V,0.000000,0.000000,,,0.00000,0.00000,0.00000,0.00000\n" + "2," + b0);

    // The whole drive: a.mp4's three seconds, then b.mp4's two.
    excerpt.Build(WholeDrivePieces(drive->drive), trackOf);
    std::ostringstream gpx;
    WriteTrack(gpx, TrackFormat::Gpx, excerpt.Stores(), "drive");
    const std::string text = gpx.str();
    size_t points = 0;
    for (size_t at = text.find("<trkpt"); at != std::string::npos;
         at = text.find("<trkpt", at + 1)) {
        ++points;
    }
    EXPECT_EQ(points, 5u);
    EXPECT_NE(text.find("lat=\"60.100000\""), std::string::npos) << text;
}

} // namespace
