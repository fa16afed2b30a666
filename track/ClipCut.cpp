#include "track/ClipCut.h"

#include "track/ClipFile.h"
#include "track/Mp4SampleTable.h"

#include <algorithm>

namespace {

// An hour of 60 frames a second, with room to spare; a longer table is not read to its end.
constexpr uint64_t kMaxSamplesRead = 1u << 22;

} // namespace

std::optional<ClipCut> FindClipCut(ByteSource& clip) {
    const uint64_t fileLength = clip.Length();
    std::optional<double> cutAt;
    double length = 0.0;
    ForEachMp4Track(clip, [&](const Mp4Track& track) {
        if (track.timescale == 0) {
            return true;
        }
        const double scale = track.timescale;
        uint64_t end = 0;
        ForEachMp4Sample(clip, track, kMaxSamplesRead, [&](const Mp4Sample& sample) {
            end = sample.time + sample.duration;
            if (sample.offset > fileLength || sample.size > fileLength - sample.offset) {
                const double at = static_cast<double>(sample.time) / scale;
                cutAt = cutAt ? std::min(*cutAt, at) : at;
            }
            return true;
        });
        length = std::max(length, static_cast<double>(end) / scale);
        return true;
    });
    if (!cutAt) {
        return std::nullopt;
    }
    return ClipCut{*cutAt, length};
}

std::optional<ClipCut> FindClipCut(const std::string& path) {
    ClipFile file;
    return file.Open(path) ? FindClipCut(file) : std::nullopt;
}
