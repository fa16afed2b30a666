// The small card the fleet tests write with the clip maker, into a GeoPackage or a PostGIS
// database alike: two drives of three and two tracked clips ten seconds apart, a tracked clip
// an hour from any, and a clip without a track, each 10 s at 72 km/h with a fix a second.
// So 7 clips, 6 x 10 = 60 seconds with a position, and 2 drives.
#pragma once

#include <string>
#include <vector>

struct CardClip {
    std::string name;
    std::string options; // the clip maker's, besides kFleetCardClipOptions
};

inline const std::vector<CardClip> kFleetCard{
    {"2024_0601_140000_F.MP4", "--start 2024-06-01T12:00:00 --origin 59.00,18"},
    {"2024_0601_140010_F.MP4", "--start 2024-06-01T12:00:10 --origin 59.01,18"},
    {"2024_0601_140020_F.MP4", "--start 2024-06-01T12:00:20 --origin 59.02,18"},
    {"2024_0601_140500_F.MP4", "--start 2024-06-01T12:05:00 --origin 59.03,18"},
    {"2024_0601_140510_F.MP4", "--start 2024-06-01T12:05:10 --origin 59.04,18"},
    {"2024_0601_150000_F.MP4", "--start 2024-06-01T13:00:00 --origin 59.05,18"},
    {"2024_0601_160000_F.MP4", "--no-embedded"},
};

inline constexpr const char* kFleetCardClipOptions =
    " --steady 72 --seconds 10 --size 64x48 --fps 5";
