#include "track/ClipSound.h"

#include "track/ClipFile.h"
#include "track/Mp4SampleTable.h"

#include <array>
#include <string_view>

namespace {

// The sample entries of sound that cameras and the formats they write use.
constexpr std::array<std::string_view, 16> kSoundFormats{
    "mp4a", "sowt", "twos", "lpcm", "ulaw", "alaw", "ac-3", "ec-3",
    "Opus", ".mp3", "ipcm", "fpcm", "raw ", "in24", "samr", "fl32"};

} // namespace

bool ClipHasSound(const std::string& path) {
    ClipFile file;
    if (!file.Open(path)) {
        return false;
    }
    bool sound = false;
    ForEachMp4Track(file, [&](const Mp4Track& track) {
        for (const std::string_view format : kSoundFormats) {
            sound = sound || track.IsFormat(format);
        }
        return !sound;
    });
    return sound;
}
