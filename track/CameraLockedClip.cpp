#include "track/CameraLockedClip.h"

#include "track/CameraFileName.h"
#include "track/ChannelFolder.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <initializer_list>
#include <optional>

namespace {

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// "..._HHMMSS_E" with an optional channel letter: the mark follows a six-digit time.
bool BlackVueEventMark(const std::string& stem) {
    const size_t mark = stem.rfind("_E");
    if (mark == std::string::npos || mark < 7 || stem[mark - 7] != '_') {
        return false;
    }
    const std::string time = stem.substr(mark - 6, 6);
    const std::string channel = stem.substr(mark + 2);
    return std::all_of(time.begin(), time.end(), IsDigit) &&
           (channel.empty() || channel == "F" || channel == "R" || channel == "I");
}

// EV or EMER alone, not the start of a word like EVENING.
bool EventPrefix(const std::string& stem) {
    for (const std::string prefix : {"EMER", "EV"}) {
        if (stem.size() > prefix.size() && stem.compare(0, prefix.size(), prefix) == 0) {
            const char next = stem[prefix.size()];
            return IsDigit(next) || next == '_' || next == '-';
        }
    }
    return false;
}

bool IsOneOf(const std::string& upper, std::initializer_list<const char*> names) {
    return std::any_of(names.begin(), names.end(), [&](const char* name) { return upper == name; });
}

bool IsLockedFolder(const std::filesystem::path& folder) {
    return IsOneOf(Upper(folder.filename()), {"EVENT", "EMR", "EMER", "PROTECTED", "RO"});
}

} // namespace

bool CameraLockedClip(const std::string& clipPath) {
    // Absolute, so that a clip named from inside its folder ("clip.mp4", "./clip.mp4")
    // still has one.
    std::error_code error;
    std::filesystem::path path = std::filesystem::absolute(clipPath, error).lexically_normal();
    if (error) {
        path = clipPath;
    }
    const std::filesystem::path folder = path.parent_path();
    if (IsLockedFolder(folder) ||
        // Some cameras keep a folder per channel inside the event folder (Event/Front/...).
        (ChannelOfFolder(folder) != 0 && IsLockedFolder(folder.parent_path()))) {
        return true;
    }
    const std::optional<CameraFileName> name = ReadCameraFileName(path.filename().string());
    const std::string stem = Upper(path.stem());
    return (name && name->event) || BlackVueEventMark(stem) || EventPrefix(stem);
}
