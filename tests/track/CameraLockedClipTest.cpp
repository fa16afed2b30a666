// Clips the camera locked as events, told by their folder or the mark in their name.
#include "track/CameraLockedClip.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace {

TEST(CameraLockedClip, ByFolderOrNameMark) {
    const std::vector<std::pair<std::string, bool>> cases = {
        {"/card/DCIM/EVENT/20240601_120000.MP4", true},
        {"/card/DCIM/Movie/ro/2024_0601_120000_F.MP4", true},
        {"/card/Protected/clip.mp4", true},
        {"/card/EMR/clip.mp4", true},
        {"/card/Normal/clip.mp4", false},
        {"/card/EVENTS_2023/clip.mp4", false},
        {"/card/RO/sub/clip.mp4", false},
        {"/card/Event/Front/2024_0601_120000_F.MP4", true},
        {"/card/Record/20240601_120000_E.mp4", true},
        {"/card/Record/20240601_120000_EF.mp4", true},
        {"/card/Record/20240601_120000_er.MP4", true},
        {"/card/Record/20240601_120000_NF.mp4", false},
        {"/card/Record/20240601_120000_PF.mp4", false},
        {"/card/Record/holiday_E.mp4", false},
        {"/card/DCIM/EV0001.MP4", true},
        {"/card/DCIM/EMER_20240601_120000.MP4", true},
        {"/card/DCIM/EVENING_RIDE.mp4", false},
    };
    for (const auto& [path, locked] : cases) {
        EXPECT_EQ(CameraLockedClip(path), locked) << path;
    }
}

TEST(CameraLockedClip, NamedFromInsideItsFolder) {
    const std::filesystem::path folder = std::filesystem::path(::testing::TempDir()) / "Event";
    std::filesystem::create_directories(folder);
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(folder);
    const bool locked = CameraLockedClip("clip.mp4");
    std::filesystem::current_path(before);
    EXPECT_TRUE(locked);
}

} // namespace
