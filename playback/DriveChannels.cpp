#include "playback/DriveChannels.h"

#include "playback/DriveSegments.h"

#include <QFile>

#include <cmath>
#include <string>

namespace {

// Two cameras started apart by more than this keep drifting apart from clip to clip.
constexpr double kOffsetSlack = 0.1;

} // namespace

bool DriveCamerasLineUp(const std::vector<ChannelMoment>& moments) {
    if (moments.empty()) {
        return false;
    }
    const ChannelMoment& first = moments.front();
    for (const ChannelMoment& moment : moments) {
        if (moment.camera != first.camera || moment.others.size() != first.others.size()) {
            return false;
        }
        for (size_t i = 0; i < moment.others.size(); ++i) {
            const PaneChannel& one = moment.others[i];
            if (one.path.isEmpty() || one.camera != first.others[i].camera ||
                std::abs(one.offsetSeconds - first.others[i].offsetSeconds) > kOffsetSlack) {
                return false;
            }
        }
    }
    return true;
}

ChannelMoment JoinDriveChannels(const std::vector<ChannelMoment>& moments,
                                const std::vector<double>& lengths) {
    ChannelMoment joined;
    if (moments.empty()) {
        return joined;
    }
    joined.camera = moments.front().camera;
    for (size_t i = 0; i < moments.front().others.size(); ++i) {
        std::vector<std::string> paths;
        for (const ChannelMoment& moment : moments) {
            paths.push_back(QFile::encodeName(moment.others[i].path).toStdString());
        }
        const PaneChannel& first = moments.front().others[i];
        joined.others.push_back({QFile::decodeName(DriveTimelineAddress(paths, lengths).c_str()),
                                 first.offsetSeconds, first.camera});
    }
    return joined;
}
