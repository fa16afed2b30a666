#include "track/ChannelClips.h"

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

namespace {

constexpr std::string_view kChannelOrder = "FRIO";

// One clip file and what is known of its recording; the movie header and the file's time
// are read only when a comparison needs them.
struct Clip {
    std::string path;
    std::optional<CameraFileName> name; // the name alone, without its folder's channel
    char folderChannel = 0;

    bool headerRead = false;
    std::optional<int64_t> created; // the movie header's creation time, UTC
    double seconds = 0.0;           // 0 when not known
    std::optional<int64_t> fileTime;

    char Channel() const { return name && name->channel != 0 ? name->channel : folderChannel; }
};

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
        if ((suffix == ".mp4" || suffix == ".mov" || suffix == ".avi") &&
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

// The clip files beside `clip`, and those in the channel folders next to its own when it
// lies in one; the clip itself left out.
std::vector<fs::path> Neighbours(const fs::path& clip) {
    const fs::path folder = clip.parent_path();
    std::vector<fs::path> files;
    AddVideoFiles(folder, files);
    if (ChannelOfFolder(folder) != 0) {
        std::error_code error;
        fs::directory_iterator entry(folder.parent_path(), error);
        for (; !error && entry != fs::directory_iterator(); entry.increment(error)) {
            std::error_code kindError;
            if (entry->path().filename() != folder.filename() &&
                ChannelOfFolder(entry->path()) != 0 && entry->is_directory(kindError)) {
                AddVideoFiles(entry->path(), files);
            }
        }
        if (error && error != std::errc::no_such_file_or_directory) {
            std::cerr << program_invocation_short_name << ": " << folder.parent_path().string()
                      << ": " << error.message() << ", its channel folders not searched\n";
        }
    }
    files.erase(std::remove(files.begin(), files.end(), clip), files.end());
    std::sort(files.begin(), files.end());
    return files;
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

ChannelSet FindChannelClips(const std::string& path) {
    std::error_code error;
    fs::path absolute = fs::absolute(path, error).lexically_normal();
    if (error) {
        absolute = path;
    }
    Clip opened = Describe(absolute);
    opened.path = path;
    // A clip that says no channel stands in the front camera's place.
    const char openedSlot = opened.Channel() != 0 ? opened.Channel() : 'F';
    const bool byNames = opened.name && opened.name->channel != 0;

    std::vector<Clip> candidates;
    for (const fs::path& file : Neighbours(absolute)) {
        candidates.push_back(Describe(file));
    }
    // The nearest clip of each other channel, and its gap.
    std::vector<std::pair<Clip*, double>> chosen(kChannelOrder.size(), {nullptr, 0.0});
    for (Clip& other : candidates) {
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
