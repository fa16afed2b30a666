#include "track/SidecarLog.h"
#include "track/TrackDispatch.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::vector<std::string> Lines(std::string_view bytes) {
    std::vector<std::string> lines;
    ForEachSidecarTrackLine(bytes, [&](const std::string& line) { lines.push_back(line); });
    return lines;
}

TEST(SidecarLines, SkippedLinesStillTakeTheirSecond) {
    const auto lines = Lines("X:0.1 Y:0.2 Z:0.3 G:0.0 $GPRMC,a*00\r\n\r\n$GPRMC,b*00\r\n");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "T:0 X:0.1 Y:0.2 Z:0.3 G:0.0 $GPRMC,a*00");
    EXPECT_EQ(lines[1], "T:2000 X:0.000000 Y:0.000000 Z:0.000000 G:0.000000 $GPRMC,b*00");
}

TEST(SidecarLines, DollarLineInFourthPlaceIsSecondThree) {
    const auto lines = Lines("X:1\r\nY:1\r\n#\r\n$GPGGA,1,2*33\r\n");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1], "T:3000 X:0.000000 Y:0.000000 Z:0.000000 G:0.000000 $GPGGA,1,2*33");
}

TEST(SidecarLines, OnlyTheCameraFormIsReadLineByLine) {
    // A receiver's own log has several sentences a second and no sensor line: its lines
    // are not seconds. One X line anywhere makes the text the camera's form.
    const std::string rmc = "$GPRMC,120000,A,5930.0,N,01800.0,E,0,0,071226,,*00\r\n";
    const struct {
        std::string text;
        size_t lines; // by hand: every X or $ line of a camera-form text
    } cases[] = {
        {rmc + "$GPGGA,120000,5930.0,N,01800.0,E,1,08,0.9,10,M,,,,*00\r\n" + rmc, 0},
        {"\r\n" + rmc + rmc, 0},
        {rmc + "\r\nX:1 Y:0 Z:0 G:0 " + rmc, 2},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Lines(c.text).size(), c.lines) << c.text;
    }
}

TEST(SidecarLines, LastLineWithoutEndIsNotALine) {
    const auto lines = Lines("X:1 Y:0 Z:0 G:0\r\nX:2 Y:0 Z:0 G:0");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "T:0 X:1 Y:0 Z:0 G:0");
    EXPECT_TRUE(Lines("X:1 Y:0 Z:0 G:0").empty());
    EXPECT_TRUE(Lines("").empty());
}

TEST(SidecarLines, BareLineFeedsAndCarriageReturnsEndLinesToo) {
    const auto lf = Lines("X:1 Y:0 Z:0 G:0\nX:2 Y:0 Z:0 G:0\n");
    ASSERT_EQ(lf.size(), 2u);
    EXPECT_EQ(lf[1], "T:1000 X:2 Y:0 Z:0 G:0");

    // No byte of a line is lost to a line feed that is not there.
    const auto cr = Lines("X:1 Y:0 Z:0 G:0\rX:2 Y:0 Z:0 G:0\r$GPRMC*00\r");
    ASSERT_EQ(cr.size(), 3u);
    EXPECT_EQ(cr[1], "T:1000 X:2 Y:0 Z:0 G:0");
    EXPECT_EQ(cr[2], "T:2000 X:0.000000 Y:0.000000 Z:0.000000 G:0.000000 $GPRMC*00");

    // CR LF is one line end; LF CR is two.
    const auto mixed = Lines("X:1\r\n\n\rX:4\r\n");
    ASSERT_EQ(mixed.size(), 2u);
    EXPECT_EQ(mixed[1], "T:3000 X:4");
}

class SidecarFiles : public ::testing::Test {
protected:
    void SetUp() override {
        folder = fs::temp_directory_path() /
                 ("ostvik-sidecar-" + std::to_string(::getpid()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(folder);
    }
    void TearDown() override {
        SetTrackLineConsumers({}, {});
        fs::remove_all(folder);
    }
    std::string Touch(const std::string& name, const std::string& text = "") {
        std::ofstream(folder / name, std::ios::binary) << text;
        return (folder / name).string();
    }
    std::string At(const std::string& name) const { return (folder / name).string(); }

    fs::path folder;
};

TEST_F(SidecarFiles, OnlyMovAndAviClipsHaveASidecarLog) {
    EXPECT_EQ(SidecarLogOf(At("CLIP0001.MOV")), At("CLIP0001.TXT"));
    EXPECT_EQ(SidecarLogOf(At("TRIP.AVI")), At("TRIP.TXT"));
    EXPECT_EQ(SidecarLogOf(At("trip.avi")), At("trip.TXT"));
    EXPECT_EQ(SidecarLogOf(At("CLIP0001.MP4")), "");
    EXPECT_EQ(SidecarLogOf("rtsp://camera/live"), "");
}

TEST_F(SidecarFiles, PlaylistSidecarReplacesOnlyTheExtension) {
    EXPECT_EQ(SidecarPathFor(At("CLIP0001.MP4")), At("CLIP0001.TXT"));
    EXPECT_EQ(SidecarPathFor(At("drive.2026.mpeg")), At("drive.2026.TXT"));
    EXPECT_EQ(SidecarPathFor(At("NOEXT")), At("NOEXT.TXT"));
}

TEST_F(SidecarFiles, FoundWhateverTheLetterCaseOfItsName) {
    const std::string lower = Touch("clip0002.txt");
    EXPECT_EQ(SidecarLogOf(At("CLIP0002.MOV")), lower);
    EXPECT_EQ(SidecarPathFor(At("clip0002.mp4")), lower);
    const std::string exact = Touch("CLIP0002.TXT");
    EXPECT_EQ(SidecarLogOf(At("CLIP0002.MOV")), exact);
}

TEST_F(SidecarFiles, ReadSidecarLogDispatchesToBothConsumersInOrder) {
    Touch("DRIVE.txt", "X:0.5 Y:0 Z:1 G:0 $GPRMC*00\r\n\r\n$GPRMC*01\r\n");
    std::vector<std::string> calls;
    SetTrackLineConsumers(
        [&](const char* line) {
            calls.push_back(std::string("chart ") + line);
            return 1;
        },
        [&](const char* line) {
            calls.push_back(std::string("map ") + line);
            return 1;
        });
    EXPECT_EQ(ReadSidecarLog(At("drive.mov")), 2);
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_EQ(calls[0], "chart T:0 X:0.5 Y:0 Z:1 G:0 $GPRMC*00");
    EXPECT_EQ(calls[1], "map T:0 X:0.5 Y:0 Z:1 G:0 $GPRMC*00");
    EXPECT_EQ(calls[3].rfind("map T:2000 ", 0), 0u);

    EXPECT_EQ(ReadSidecarLog(At("missing.MOV")), 0);
    EXPECT_EQ(ReadSidecarLog(At("drive.mp4")), 0);
    EXPECT_EQ(calls.size(), 4u);
}

TEST(TrackDispatch, NullLineIsPassedOnAndTheResultIsZero) {
    int seen = 0;
    SetTrackLineConsumers(
        [&](const char* line) {
            seen += line == nullptr;
            return 0;
        },
        [&](const char* line) {
            seen += line == nullptr;
            return 0;
        });
    EXPECT_EQ(DispatchTrackLine(nullptr, 0, nullptr), 0);
    EXPECT_EQ(seen, 2);
    SetTrackLineConsumers({}, {});
    EXPECT_EQ(DispatchTrackLine("T:0", 3, nullptr), 0);
}

TEST(TrackDispatch, ASentenceWithoutSensorFieldsReachesTheMapAlone) {
    std::vector<std::string> chart, map;
    SetTrackLineConsumers(
        [&](const char* line) {
            chart.emplace_back(line);
            return 0;
        },
        [&](const char* line) {
            map.emplace_back(line);
            return 0;
        });
    DispatchTrackLine("T:2000 $GPRMC,1*00", 0, nullptr);
    DispatchTrackLine("T:-5 $GPGGA,2*00", 0, nullptr);
    DispatchTrackLine("T:3000 X:0.000000 Y:0.000000 Z:0.000000 G:0.000000 $GPRMC,3*00", 0, nullptr);
    DispatchTrackLine("T:4000", 0, nullptr);
    DispatchTrackLine("T:5000 junk $GPRMC,5*00", 0, nullptr);
    SetTrackLineConsumers({}, {});
    EXPECT_EQ(map.size(), 5u);
    EXPECT_EQ(chart, (std::vector<std::string>{
                         "T:3000 X:0.000000 Y:0.000000 Z:0.000000 G:0.000000 $GPRMC,3*00", "T:4000",
                         "T:5000 junk $GPRMC,5*00"}));
}

} // namespace
