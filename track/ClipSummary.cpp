#include "track/ClipSummary.h"

#include "track/ClipFile.h"
#include "track/ClipTrack.h"
#include "track/Mp4ClipTime.h"
#include "track/TrackFigures.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <filesystem>
#include <sys/stat.h>

namespace fs = std::filesystem;

bool IsLockedFolder(std::string_view folderName) {
    static constexpr std::array<std::string_view, 5> kNames{"event", "emr", "emer", "protected",
                                                            "ro"};
    return std::any_of(kNames.begin(), kNames.end(), [&](std::string_view name) {
        return name.size() == folderName.size() &&
               std::equal(name.begin(), name.end(), folderName.begin(), [](char a, char b) {
                   return a == std::tolower(static_cast<unsigned char>(b));
               });
    });
}

ClipSummary SummariseClip(const std::string& path, const ClipTrack& track) {
    ClipSummary summary;
    summary.path = path;
    const TrackFigures figures = MeasureTrack(track.Map(), track.Dial());
    summary.firstUtc = figures.firstUtc;
    summary.lastUtc = figures.lastUtc;
    summary.km = figures.km;
    summary.maxKmh = figures.maxKmh;
    summary.seconds = static_cast<double>(track.Map().size());

    ClipFile file;
    if (file.Open(path)) {
        if (const std::optional<double> duration = ReadClipDuration(file)) {
            summary.seconds = *duration;
        }
    }
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0) {
        summary.fileTime = static_cast<int64_t>(info.st_mtime);
    }

    const fs::path clip(path);
    summary.name = ReadCameraFileName(clip.filename().string());
    // Some cameras keep a folder per channel inside the event folder (Event/Front/...).
    const fs::path folder = clip.parent_path();
    summary.locked = (summary.name && summary.name->event) ||
                     IsLockedFolder(folder.filename().string()) ||
                     IsLockedFolder(folder.parent_path().filename().string());
    return summary;
}
