#include "track/DriveAxis.h"

#include <algorithm>
#include <cmath>

int64_t ClipLengthInDrive(const DriveClip& clip) {
    return std::max<int64_t>(0, static_cast<int64_t>(std::ceil(clip.main.seconds)));
}

DrivePlace PlaceInDrive(const Drive& drive, double driveSecond) {
    if (drive.clips.empty()) {
        return {};
    }
    // The last clip that starts at or before the second.
    size_t clip = 0;
    for (size_t i = 0; i < drive.clips.size(); ++i) {
        if (static_cast<double>(drive.clips[i].at) <= driveSecond) {
            clip = i;
        }
    }
    const DriveClip& playing = drive.clips[clip];
    const double into = driveSecond - static_cast<double>(playing.at);
    const double length = static_cast<double>(ClipLengthInDrive(playing));
    if (into < 0.0) {
        return {clip, 0.0};
    }
    if (into < length || clip + 1 == drive.clips.size()) {
        return {clip, std::min(into, length)};
    }
    return {clip + 1, 0.0};
}

double DriveSecondOf(const Drive& drive, size_t clip, double clipSecond) {
    return clip < drive.clips.size() ? static_cast<double>(drive.clips[clip].at) + clipSecond : 0.0;
}

std::vector<DriveEvent> EventsOfDrive(const Drive& drive) {
    std::vector<DriveEvent> events;
    for (size_t i = 0; i < drive.clips.size(); ++i) {
        for (const DrivingEvent& event : drive.clips[i].main.events) {
            events.push_back({i, static_cast<int>(drive.clips[i].at) + event.second, event});
        }
    }
    std::stable_sort(events.begin(), events.end(), [](const DriveEvent& a, const DriveEvent& b) {
        return a.driveSecond < b.driveSecond;
    });
    return events;
}

const DriveEvent* NextDriveEvent(const std::vector<DriveEvent>& events, double driveSecond,
                                 bool forward) {
    const DriveEvent* found = nullptr;
    for (const DriveEvent& event : events) {
        const double at = event.driveSecond;
        if (forward && at >= driveSecond + 1.0) {
            return &event;
        }
        if (!forward && at <= driveSecond - 1.0) {
            found = &event;
        }
    }
    return found;
}
