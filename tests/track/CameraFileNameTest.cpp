// Clip file names as cameras write them, and names that only look like them.
#include "track/CameraFileName.h"
#include "track/ChannelFolder.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

// 2024-10-01T00:00:00 is 19997 days after 1970-01-01 (54 years of 365 days, 13 leap days,
// then 274 days from January to September of the leap year 2024): 1727740800 s.
constexpr int64_t kOctoberFirst = 1727740800;
constexpr int64_t kFour = kOctoberFirst + 16 * 3600;      // 16:00:00
constexpr int64_t kLater = kOctoberFirst + 16 * 3600 + 5; // 16:00:05

struct NameCase {
    std::string name;
    bool read;
    int64_t cameraTime;
    char channel;
    bool event;
};

TEST(CameraFileName, ReadsTheCommonPatternsAndNothingElse) {
    const std::vector<NameCase> cases{
        {"2024_1001_160000_F.MP4", true, kFour, 'F', false},
        {"2024_1001_160000_001F.MP4", true, kFour, 'F', false},
        {"2024_1001_160005_0002R.mp4", true, kLater, 'R', false},
        {"2024_1001_160000_001.MP4", true, kFour, 0, false},
        {"20241001_160000_NF.mp4", true, kFour, 'F', false},
        {"20241001_160000_EF.mp4", true, kFour, 'F', true},
        {"20241001_160000_PR.mp4", true, kFour, 'R', false},
        {"20241001_160005_MI.MP4", true, kLater, 'I', true},
        {"20241001_160000_NFL.mp4", true, kFour, 'F', false},
        {"20241001_160000.MP4", true, kFour, 0, false},
        {"20241001_160000_R.MP4", true, kFour, 'R', false},
        {"FILE241001-160000F.MP4", true, kFour, 'F', false},
        {"file241001-160005r.mov", true, kLater, 'R', false},
        {"EMER241001-160000F.MP4", true, kFour, 'F', true},
        {"NO20241001-160000-000123F.MP4", true, kFour, 'F', false},
        {"EV20241001-160005-000124R.MP4", true, kLater, 'R', true},
        {"PA20241001-160000-000125F.MP4", true, kFour, 'F', false},
        {"REC_2024_10_01_16_00_00_F.MP4", true, kFour, 'F', false},
        // Two channels lettered A (front) and B (rear).
        {"2024_1001_160000_0001A.MP4", true, kFour, 'F', false},
        {"2024_1001_160000_0001B.MP4", true, kFour, 'R', false},
        {"NO20241001-160000-000123B.MP4", true, kFour, 'R', false},
        {"FILE241001-160000a.MP4", true, kFour, 'F', false},
        {"20241001_160000_B.MP4", true, kFour, 'R', false},
        {"REC_2024_10_01_16_00_00_A.MP4", true, kFour, 'F', false},
        // A and B as recording modes stay modes: the channel follows them.
        {"20241001_160000_BR.mp4", true, kFour, 'R', true},
        {"EVT_2024_10_01_16_00_05_R.MP4", true, kLater, 'R', true},
        {"/media/card/DCIM/2024_1001_160000_F.MP4", true, kFour, 'F', false},
        // Impossible dates and times.
        {"2024_1301_160000_F.MP4", false, 0, 0, false},
        {"2024_1001_250000_F.MP4", false, 0, 0, false},
        {"20240431_160000_NF.mp4", false, 0, 0, false},
        {"20230229_160000_NF.mp4", false, 0, 0, false},
        {"FILE241001-166000F.MP4", false, 0, 0, false},
        // Names of no known pattern, or a known one with something else in it.
        {"holiday.mp4", false, 0, 0, false},
        {"GRMN0001.MP4", false, 0, 0, false},
        {"2024_1001_160000_X.MP4", false, 0, 0, false},
        {"20241001_160000_ZF.mp4", false, 0, 0, false},
        {"copy of 2024_1001_160000_F.MP4", false, 0, 0, false},
        {"XX20241001-160000-000123F.MP4", false, 0, 0, false},
        {"", false, 0, 0, false},
    };
    for (const NameCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::optional<CameraFileName> name = ReadCameraFileName(c.name);
        ASSERT_EQ(name.has_value(), c.read);
        if (name) {
            EXPECT_EQ(name->cameraTime, c.cameraTime);
            EXPECT_EQ(name->channel, c.channel);
            EXPECT_EQ(name->event, c.event);
        }
    }
}

TEST(CameraFileName, ChannelFolderNamesTheChannelTheNameLacks) {
    const std::vector<std::pair<std::string, char>> cases{
        {"/card/Front/2024_1001_160000.MP4", 'F'},
        {"/card/REAR/2024_1001_160000.MP4", 'R'},
        {"/card/interior/20241001_160000.MP4", 'I'},
        {"/card/Inside/20241001_160000.MP4", 'I'},
        {"/card/Cabin/20241001_160000.MP4", 'I'},
        {"/card/f/20241001_160000.MP4", 'F'},
        {"/card/R/20241001_160000.MP4", 'R'},
        {"/card/I/20241001_160000.MP4", 'I'},
        // The name's own letter wins over the folder's.
        {"/card/Front/20241001_160000_R.MP4", 'R'},
        // Folders that only contain a channel word say nothing.
        {"/card/Rear_old/20241001_160000.MP4", 0},
        {"/card/Front/sub/20241001_160000.MP4", 0},
        {"/card/DCIM/20241001_160000.MP4", 0},
    };
    for (const auto& [path, channel] : cases) {
        SCOPED_TRACE(path);
        const std::optional<CameraFileName> name = ReadClipName(path);
        ASSERT_TRUE(name.has_value());
        EXPECT_EQ(name->channel, channel);
    }
}

} // namespace
