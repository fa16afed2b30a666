#include "track/ClipSummary.h"

#include "track/CameraLockedClip.h"
#include "track/ChannelFolder.h"
#include "track/ClipFile.h"
#include "track/ClipTrack.h"
#include "track/DrivingEvents.h"
#include "track/Mp4ClipTime.h"
#include "track/TrackFigures.h"

#include <sys/stat.h>

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

    summary.name = ReadClipName(path);
    summary.locked = CameraLockedClip(path);
    summary.events = DetectClipEvents(path, track);
    return summary;
}
