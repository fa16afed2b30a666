// Which camera of a set wrote a clip, as the folder it lies in says: cameras that keep a
// folder per channel name it Front, Rear, Interior, Inside or Cabin, or just F, R or I (any
// letter case). The folder speaks only where the clip's name names no channel, so a
// renamed folder never overrides what the camera wrote into the name.
#pragma once

#include "track/CameraFileName.h"

#include <filesystem>
#include <optional>
#include <string>

// 'F', 'R' or 'I' for a channel folder's name; 0 for any other folder.
char ChannelOfFolder(const std::filesystem::path& folder);

// What the clip's file name says (ReadCameraFileName), its channel taken from its folder
// when the name has none; nothing for a name of no known pattern.
std::optional<CameraFileName> ReadClipName(const std::string& clipPath);
