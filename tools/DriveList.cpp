#include "DriveList.h"

#include "ClipSearch.h"
#include "ClipTrackExport.h"
#include "EveryCore.h"

#include "track/UtcTime.h"

#include <cstdio>
#include <iostream>
#include <mutex>
#include <optional>

namespace {

std::string TimeText(const Drive& drive, int64_t seconds) {
    switch (drive.clock) {
    case DriveClock::Utc:
        return UtcText(seconds);
    case DriveClock::Camera: {
        // The camera's clock keeps a local time of no known zone: no Z.
        std::string text = UtcText(seconds);
        text.pop_back();
        return text;
    }
    case DriveClock::None:
        break;
    }
    return {};
}

size_t ClipFiles(const Drive& drive) {
    size_t count = 0;
    for (const DriveClip& clip : drive.clips) {
        count += 1 + clip.beside.size();
    }
    return count;
}

} // namespace

void WriteDriveTable(std::ostream& out, const std::vector<Drive>& drives) {
    out << "first_clip\tlast_clip\tclips\tstart\tend\tseconds\tkm\tmax_kmh\tevents\n";
    for (const Drive& drive : drives) {
        char km[32];
        std::snprintf(km, sizeof km, "%.1f", drive.km);
        out << drive.clips.front().main.path << '\t' << drive.clips.back().main.path << '\t'
            << ClipFiles(drive) << '\t' << TimeText(drive, drive.start) << '\t'
            << TimeText(drive, drive.end) << '\t' << drive.seconds << '\t' << km << '\t'
            << drive.maxKmh << '\t' << drive.events << '\n';
    }
}

std::vector<ClipSummary> SummariseClips(const std::vector<std::string>& paths, size_t& failures) {
    const std::vector<std::string> clips = FindClips(paths, failures);
    std::vector<std::optional<ClipSummary>> summaries(clips.size());
    std::mutex errorLock;
    RunOnEveryCore(clips.size(), [&](size_t i) {
        ClipTrackExport clip;
        std::string why;
        if (!clip.Read(clips[i], why)) {
            const std::lock_guard<std::mutex> lock(errorLock);
            std::cerr << "ostvik-track: cannot read " << clips[i] << ": " << why << "\n";
            ++failures;
            return;
        }
        summaries[i] = SummariseClip(clips[i], clip.Track());
    });
    std::vector<ClipSummary> read;
    for (std::optional<ClipSummary>& summary : summaries) {
        if (summary) {
            read.push_back(std::move(*summary));
        }
    }
    return read;
}

int RunDriveList(const std::vector<std::string>& paths, std::ostream& out) {
    size_t failures = 0;
    std::vector<ClipSummary> clips = SummariseClips(paths, failures);
    if (clips.empty() && failures == 0) {
        std::cerr << "ostvik-track: no clips found\n";
        return 1;
    }
    WriteDriveTable(out, GroupDrives(std::move(clips)));
    out.flush();
    if (!out) {
        std::cerr << "ostvik-track: writing the output failed\n";
        return 1;
    }
    return failures == 0 ? 0 : 1;
}
