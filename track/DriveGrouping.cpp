#include "track/DriveGrouping.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>

namespace {

int64_t WholeSeconds(double seconds) {
    return static_cast<int64_t>(std::llround(seconds));
}

bool IsMainChannel(const ClipSummary& clip) {
    return !clip.name || clip.name->channel == 0 || clip.name->channel == 'F';
}

// The key clips are ordered by, and whether they have one at all.
std::optional<int64_t> OrderKey(const ClipSummary& clip) {
    if (clip.name) {
        return clip.name->cameraTime;
    }
    if (clip.HasTrack()) {
        return clip.firstUtc;
    }
    if (clip.fileTime != kUnknownUtc) {
        return clip.fileTime - WholeSeconds(clip.seconds);
    }
    return std::nullopt;
}

// Seconds from the end of `earlier` to the start of `later` by the first clock both
// clips have; nothing when they share none.
std::optional<int64_t> Gap(const ClipSummary& earlier, const ClipSummary& later) {
    if (earlier.HasTrack() && later.HasTrack()) {
        return later.firstUtc - earlier.lastUtc;
    }
    if (earlier.name && later.name) {
        return later.name->cameraTime - (earlier.name->cameraTime + WholeSeconds(earlier.seconds));
    }
    if (earlier.fileTime != kUnknownUtc && later.fileTime != kUnknownUtc) {
        return later.fileTime - WholeSeconds(later.seconds) - earlier.fileTime;
    }
    return std::nullopt;
}

bool Joins(const ClipSummary& earlier, const ClipSummary& later, int64_t maxGapSeconds) {
    const std::optional<int64_t> gap = Gap(earlier, later);
    // A later clip may overlap the earlier one (an event copy of the same moment), but
    // not start long before it: that is a clock set back, not one drive.
    return gap && *gap <= maxGapSeconds && *gap >= -(WholeSeconds(earlier.seconds) + maxGapSeconds);
}

// Sets each main clip's other-channel clips beside it; those with no main clip of their
// moment become main clips themselves.
std::vector<DriveClip> PairChannels(std::vector<ClipSummary> clips) {
    std::vector<DriveClip> mains;
    std::vector<ClipSummary> others;
    for (ClipSummary& clip : clips) {
        if (IsMainChannel(clip)) {
            mains.push_back({std::move(clip), {}});
        } else {
            others.push_back(std::move(clip));
        }
    }
    std::vector<std::pair<int64_t, size_t>> byTime;
    for (size_t i = 0; i < mains.size(); ++i) {
        if (mains[i].main.name) {
            byTime.emplace_back(mains[i].main.name->cameraTime, i);
        }
    }
    std::sort(byTime.begin(), byTime.end());
    for (ClipSummary& other : others) {
        const int64_t time = other.name->cameraTime;
        std::optional<size_t> best;
        int64_t bestDistance = 0;
        auto it = std::lower_bound(byTime.begin(), byTime.end(),
                                   std::make_pair(time - kChannelSkewSeconds, size_t{0}));
        for (; it != byTime.end() && it->first <= time + kChannelSkewSeconds; ++it) {
            const std::vector<ClipSummary>& beside = mains[it->second].beside;
            const bool channelTaken =
                std::any_of(beside.begin(), beside.end(), [&](const ClipSummary& clip) {
                    return clip.name->channel == other.name->channel;
                });
            const int64_t distance = std::llabs(it->first - time);
            if (!channelTaken && (!best || distance < bestDistance)) {
                best = it->second;
                bestDistance = distance;
            }
        }
        if (best) {
            mains[*best].beside.push_back(std::move(other));
        } else {
            mains.push_back({std::move(other), {}});
        }
    }
    return mains;
}

// Start and end of a clip in the drive's clock: its track's UTC, or its name's time moved
// by `cameraToUtc` (UTC less camera time, learnt from a clip that has both) when the drive
// counts in UTC.
std::optional<std::pair<int64_t, int64_t>> Span(const ClipSummary& clip, DriveClock clock,
                                                std::optional<int64_t> cameraToUtc) {
    const int64_t length = WholeSeconds(clip.seconds);
    if (clock == DriveClock::Utc && clip.HasTrack()) {
        return std::make_pair(clip.firstUtc,
                              length > 0 ? clip.firstUtc + length : clip.lastUtc + 1);
    }
    if (clip.name && (clock == DriveClock::Camera || cameraToUtc)) {
        const int64_t start = clip.name->cameraTime + (cameraToUtc ? *cameraToUtc : 0);
        return std::make_pair(start, start + length);
    }
    return std::nullopt;
}

void Measure(Drive& drive) {
    std::optional<int64_t> cameraToUtc;
    bool anyName = false;
    for (const DriveClip& clip : drive.clips) {
        const ClipSummary& main = clip.main;
        anyName = anyName || main.name;
        if (main.HasTrack()) {
            drive.clock = DriveClock::Utc;
            if (main.name && !cameraToUtc) {
                cameraToUtc = main.firstUtc - main.name->cameraTime;
            }
        }
        drive.km += main.km;
        drive.maxKmh = std::max(drive.maxKmh, main.maxKmh);
        drive.events += static_cast<int>(main.events.size());
    }
    if (drive.clock != DriveClock::Utc && anyName) {
        drive.clock = DriveClock::Camera;
    }
    if (drive.clock == DriveClock::None) {
        for (DriveClip& clip : drive.clips) {
            clip.at = drive.seconds;
            drive.seconds += WholeSeconds(clip.main.seconds);
        }
        return;
    }
    bool first = true;
    for (const DriveClip& clip : drive.clips) {
        const auto span = Span(clip.main, drive.clock, cameraToUtc);
        if (!span) {
            continue;
        }
        drive.start = first ? span->first : std::min(drive.start, span->first);
        drive.end = first ? span->second : std::max(drive.end, span->second);
        first = false;
    }
    drive.seconds = drive.end - drive.start;
    int64_t next = 0;
    for (DriveClip& clip : drive.clips) {
        const auto span = Span(clip.main, drive.clock, cameraToUtc);
        clip.at = span ? span->first - drive.start : next;
        next = clip.at + WholeSeconds(clip.main.seconds);
    }
}

} // namespace

std::vector<Drive> GroupDrives(std::vector<ClipSummary> clips, int64_t maxGapSeconds) {
    std::vector<DriveClip> sequence = PairChannels(std::move(clips));
    // Clips without any time go last, in the order of their paths.
    std::stable_sort(sequence.begin(), sequence.end(), [](const DriveClip& a, const DriveClip& b) {
        const std::optional<int64_t> keyA = OrderKey(a.main);
        const std::optional<int64_t> keyB = OrderKey(b.main);
        if (keyA.has_value() != keyB.has_value()) {
            return keyA.has_value();
        }
        if (keyA && *keyA != *keyB) {
            return *keyA < *keyB;
        }
        return a.main.path < b.main.path;
    });
    std::vector<Drive> drives;
    for (DriveClip& clip : sequence) {
        if (drives.empty() || !Joins(drives.back().clips.back().main, clip.main, maxGapSeconds)) {
            drives.emplace_back();
        }
        drives.back().clips.push_back(std::move(clip));
    }
    for (Drive& drive : drives) {
        Measure(drive);
    }
    return drives;
}
