// The boxes cameras put between the frames of their media data (GPS records, padding),
// which a walk through that data steps over by their headers.
#pragma once

#include <algorithm>
#include <array>
#include <string_view>

// Their types are told apart from NAL lengths, since the walk looks for them first.
constexpr std::array<std::string_view, 6> kCameraBoxes = {"free", "skip", "wide",
                                                          "gps ", "GPS ", "udta"};

inline bool IsCameraBox(const unsigned char* type) {
    const std::string_view name(reinterpret_cast<const char*>(type), 4);
    return std::find(kCameraBoxes.begin(), kCameraBoxes.end(), name) != kCameraBoxes.end();
}
