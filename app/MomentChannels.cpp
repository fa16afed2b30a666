#include "app/MomentChannels.h"

#include "track/ChannelClips.h"
#include "track/DriveGrouping.h"

#include <QFile>

#include <filesystem>
#include <set>
#include <system_error>

namespace {

QString CameraName(char channel) {
    switch (channel) {
    case 'R':
        return QStringLiteral("Rear");
    case 'I':
        return QStringLiteral("Interior");
    case 'O':
        return QStringLiteral("Extra");
    default:
        return QStringLiteral("Front");
    }
}

bool SameFile(const std::string& a, const std::string& b) {
    std::error_code error;
    return a == b || std::filesystem::equivalent(a, b, error);
}

char ChannelOf(char channel) {
    return channel == 0 ? 'F' : channel;
}

// The cameras that recorded the moments just before and after the clip's in its drive: a
// camera missing from the clip's moment alone keeps its place.
std::set<char> NeighbourCameras(const Drive& drive, size_t clip) {
    std::set<char> cameras;
    for (const size_t near : {clip - 1, clip + 1}) {
        if (near >= drive.clips.size()) {
            continue;
        }
        const ChannelSet set = FindChannelClips(drive.clips[near].main.path);
        cameras.insert(ChannelOf(set.main.channel));
        for (const ChannelClip& other : set.others) {
            cameras.insert(ChannelOf(other.channel));
        }
    }
    return cameras;
}

} // namespace

ChannelMoment MomentChannels(const QString& clip, const Drive* drive, size_t index) {
    const std::string path = QFile::encodeName(clip).toStdString();
    const ChannelSet set = FindChannelClips(path);
    std::vector<ChannelClip> all{set.main};
    all.insert(all.end(), set.others.begin(), set.others.end());
    const ChannelClip* opened = nullptr;
    for (const ChannelClip& one : all) {
        if (SameFile(one.path, path)) {
            opened = &one;
            break;
        }
    }
    ChannelMoment moment;
    if (opened == nullptr) {
        return moment;
    }
    moment.camera = CameraName(opened->channel);
    std::set<char> missing = drive != nullptr ? NeighbourCameras(*drive, index) : std::set<char>{};
    for (const ChannelClip& one : all) {
        missing.erase(ChannelOf(one.channel));
        if (&one != opened) {
            moment.others.push_back({QFile::decodeName(one.path.c_str()),
                                     one.offsetSeconds - opened->offsetSeconds,
                                     CameraName(one.channel)});
        }
    }
    for (const char channel : missing) {
        moment.others.push_back({QString(), 0, CameraName(channel)});
    }
    return moment;
}
