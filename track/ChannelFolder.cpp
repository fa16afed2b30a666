#include "track/ChannelFolder.h"

#include <algorithm>
#include <cctype>
#include <utility>
#include <vector>

char ChannelOfFolder(const std::filesystem::path& folder) {
    static const std::vector<std::pair<std::string, char>> names{
        {"FRONT", 'F'},    {"F", 'F'},      {"REAR", 'R'},  {"R", 'R'},
        {"INTERIOR", 'I'}, {"INSIDE", 'I'}, {"CABIN", 'I'}, {"I", 'I'},
    };
    std::string name = folder.filename().string();
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    for (const auto& [folderName, channel] : names) {
        if (name == folderName) {
            return channel;
        }
    }
    return 0;
}

std::optional<CameraFileName> ReadClipName(const std::string& clipPath) {
    const std::filesystem::path path(clipPath);
    std::optional<CameraFileName> name = ReadCameraFileName(path.filename().string());
    if (name && name->channel == 0) {
        name->channel = ChannelOfFolder(path.parent_path());
    }
    return name;
}
