#include "app/MomentChannels.h"

#include "track/ChannelClips.h"

#include <QFile>

#include <filesystem>
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

} // namespace

ChannelMoment MomentChannels(const QString& clip) {
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
    for (const ChannelClip& one : all) {
        if (&one != opened) {
            moment.others.push_back({QFile::decodeName(one.path.c_str()),
                                     one.offsetSeconds - opened->offsetSeconds,
                                     CameraName(one.channel)});
        }
    }
    return moment;
}
