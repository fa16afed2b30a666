#include "track/ChannelClipFinder.h"

#include "track/CameraFileName.h"
#include "track/ChannelFolder.h"
#include "track/ClipFile.h"
#include "track/ClipTrack.h"
#include "track/DriveGrouping.h"
#include "track/Mp4ClipTime.h"
#include "track/TrackFigures.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <filesystem>
#include <iostream>
#include <optional>
#include <sys/stat.h>
#include <system_error>

namespace fs = std::filesystem;

using Clip = ChannelClipFinder::Clip;

namespace {

constexpr std::string_view kChannelOrder = "FRIO";

Clip Describe(const fs::path& path) {
    Clip clip;
    clip.path = path.string();
    clip.name = ReadCameraFileName(path.filename().string());
    clip.folderChannel = ChannelOfFolder(path.parent_path());
    return clip;
}

void ReadHeader(Clip& clip) {
    if (clip.headerRead) {
        return;
    }
    clip.headerRead = true;
    ClipFile file;
    if (file.Open(clip.path)) {
        if (const std::optional<ClipTime> time = ReadClipTime(file)) {
            clip.created = time->startUnix;
        }
        clip.seconds = ReadClipDuration(file).value_or(0.0);
    }
    struct stat info {};
    if (::stat(clip.path.c_str(), &info) == 0) {
        clip.fileTime = static_cast<int64_t>(info.st_mtime);
    }
}

// Seconds from `from`'s start to `to`'s, on the first clock both have.
std::optional<double> StartGap(Clip& from, Clip& to) {
    if (from.name && to.name) {
        return static_cast<double>(to.name->cameraTime - from.name->cameraTime);
    }
    ReadHeader(from);
    ReadHeader(to);
    if (from.created && to.created) {
        return static_cast<double>(*to.created - *from.created);
    }
    // A camera closes a file as it ends: its time less its length is when it began.
    if (from.fileTime && to.fileTime && from.seconds > 0 && to.seconds > 0) {
        return (static_cast<double>(*to.fileTime) - to.seconds) -
               (static_cast<double>(*from.fileTime) - from.seconds);
    }
    return std::nullopt;
}

// Lengths not known on either side are no evidence against a match: its time has to do.
bool LengthsClose(Clip& a, Clip& b) {
    ReadHeader(a);
    ReadHeader(b);
    if (a.seconds <= 0 || b.seconds <= 0) {
        return true;
    }
    const double allowed =
        std::max(kChannelLengthSeconds, kChannelLengthShare * std::max(a.seconds, b.seconds));
    return std::fabs(a.seconds - b.seconds) <= allowed;
}

void AddVideoFiles(const fs::path& folder, std::vector<fs::path>& files) {
    std::error_code error;
    fs::directory_iterator entry(folder, error);
    for (; !error && entry != fs::directory_iterator(); entry.increment(error)) {
        std::string suffix = entry->path().extension().string();
        std::transform(suffix.begin(), suffix.end(), suffix.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        std::error_code kindError;
        if ((suffix == ".mp4" || suffix == ".mov" || suffix == ".avi" || suffix == ".ts") &&
            entry->is_regular_file(kindError)) {
            files.push_back(entry->path());
        }
    }
    // A clip whose folder is gone is no clip of a set; only a folder that is there and
    // cannot be read hides clips.
    if (error && error != std::errc::no_such_file_or_directory) {
        std::cerr << program_invocation_short_name << ": " << folder.string() << ": "
                  << error.message() << ", its clips of other cameras not searched\n";
    }
}

// Whether `other` may be a clip of `opened`'s moment, and how far apart they started.
std::optional<double> MomentGap(Clip& opened, Clip& other, bool byNames) {
    if (byNames) {
        if (!other.name || other.name->channel == 0 || other.name->family != opened.name->family) {
            return std::nullopt;
        }
        const double gap = static_cast<double>(other.name->cameraTime - opened.name->cameraTime);
        return std::fabs(gap) <= kChannelSkewSeconds ? std::optional<double>(gap) : std::nullopt;
    }
    if (other.Channel() == 0) {
        return std::nullopt;
    }
    const std::optional<double> gap = StartGap(opened, other);
    if (!gap || std::fabs(*gap) > kChannelSkewSeconds || !LengthsClose(opened, other)) {
        return std::nullopt;
    }
    return gap;
}

bool HasDatedFix(const std::string& path) {
    ClipTrack track;
    track.Load(path);
    return MeasureTrack(track.Map(), track.Dial()).firstUtc != kUnknownUtc;
}

size_t OrderOf(char channel) {
    return kChannelOrder.find(channel);
}

} // namespace

ChannelSet ChannelClipFinder::Find(const std::string& path) {
    std::error_code error;
    fs::path absolute = fs::absolute(path, error).lexically_normal();
    if (error) {
        absolute = path;
    }
    Clip opened = Known(absolute);
    opened.path = path;
    // A clip that says no channel stands in the front camera's place.
    const char openedSlot = opened.Channel() != 0 ? opened.Channel() : 'F';
    const bool byNames = opened.name && opened.name->channel != 0;

    std::vector<Clip*> candidates;
    for (const fs::path& file : Neighbours(absolute)) {
        candidates.push_back(&Known(file));
    }
    // The nearest clip of each other channel, and its gap.
    std::vector<std::pair<Clip*, double>> chosen(kChannelOrder.size(), {nullptr, 0.0});
    for (Clip* candidate : candidates) {
        Clip& other = *candidate;
        const char channel = other.Channel();
        if (channel == openedSlot || OrderOf(channel) == std::string_view::npos) {
            continue;
        }
        const std::optional<double> gap = MomentGap(opened, other, byNames);
        auto& best = chosen[OrderOf(channel)];
        if (gap && (best.first == nullptr || std::fabs(*gap) < std::fabs(best.second))) {
            best = {&other, *gap};
        }
    }
    chosen[OrderOf(openedSlot)] = {&opened, 0.0};

    std::vector<size_t> members;
    for (size_t i = 0; i < chosen.size(); ++i) {
        if (chosen[i].first != nullptr) {
            members.push_back(i);
        }
    }
    size_t main = members.front();
    if (main != 0 && members.size() > 1) {
        const auto fixed = std::find_if(members.begin(), members.end(), [&](size_t i) {
            return HasDatedFix(chosen[i].first->path);
        });
        if (fixed != members.end()) {
            main = *fixed;
        }
    }

    ChannelSet set;
    set.main = {chosen[main].first->path, chosen[main].first->Channel(), 0.0};
    for (size_t i : members) {
        if (i != main) {
            set.others.push_back({chosen[i].first->path, chosen[i].first->Channel(),
                                  chosen[i].second - chosen[main].second});
        }
    }
    return set;
}

const std::vector<fs::path>& ChannelClipFinder::Listing(const fs::path& folder) {
    const auto known = m_listings.find(folder);
    if (known != m_listings.end()) {
        return known->second;
    }
    std::vector<fs::path>& files = m_listings[folder];
    AddVideoFiles(folder, files);
    std::sort(files.begin(), files.end());
    return files;
}

const std::vector<fs::path>& ChannelClipFinder::ChannelFoldersIn(const fs::path& folder) {
    const auto known = m_channelFolders.find(folder);
    if (known != m_channelFolders.end()) {
        return known->second;
    }
    std::vector<fs::path>& folders = m_channelFolders[folder];
    std::error_code error;
    fs::directory_iterator entry(folder, error);
    for (; !error && entry != fs::directory_iterator(); entry.increment(error)) {
        std::error_code kindError;
        if (ChannelOfFolder(entry->path()) != 0 && entry->is_directory(kindError)) {
            folders.push_back(entry->path());
        }
    }
    if (error && error != std::errc::no_such_file_or_directory) {
        std::cerr << program_invocation_short_name << ": " << folder.string() << ": "
                  << error.message() << ", its channel folders not searched\n";
    }
    std::sort(folders.begin(), folders.end());
    return folders;
}

std::vector<fs::path> ChannelClipFinder::Neighbours(const fs::path& clip) {
    const fs::path folder = clip.parent_path();
    std::vector<fs::path> files = Listing(folder);
    if (ChannelOfFolder(folder) != 0) {
        for (const fs::path& sibling : ChannelFoldersIn(folder.parent_path())) {
            if (sibling != folder) {
                const std::vector<fs::path>& more = Listing(sibling);
                files.insert(files.end(), more.begin(), more.end());
            }
        }
    }
    files.erase(std::remove(files.begin(), files.end(), clip), files.end());
    return files;
}

Clip& ChannelClipFinder::Known(const fs::path& path) {
    const auto known = m_clips.find(path);
    if (known != m_clips.end()) {
        return known->second;
    }
    return m_clips.emplace(path, Describe(path)).first->second;
}
