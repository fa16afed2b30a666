#include "recover/MovieIndex.h"

#include <algorithm>
#include <utility>

#include "recover/BoxWriter.h"
#include "recover/SoundTrack.h"
#include "recover/TrackParts.h"

namespace {

// Runs of equal offsets, as the box stores them.
void CompositionOffsets(BoxWriter& box, const VideoSetup& setup, const Composition& composition) {
    std::vector<std::pair<uint32_t, uint32_t>> runs;
    for (uint32_t offset : composition.offsets) {
        if (runs.empty() || runs.back().second != offset) {
            runs.push_back({0, offset});
        }
        ++runs.back().first;
    }
    box.OpenFull("ctts", 0, 0);
    box.U32(static_cast<uint32_t>(runs.size()));
    for (const auto& [count, offset] : runs) {
        box.U32(count);
        box.U32(offset * setup.sampleDelta);
    }
    box.Close();
}

void SampleTable(BoxWriter& box, const VideoSetup& setup, std::span<const AccessUnit> units,
                 const Composition& composition, int64_t shift, bool wide) {
    box.Open("stbl");
    WriteEntryAndSpacing(box, setup.sampleEntry, units.size(), setup.sampleDelta);
    if (!composition.offsets.empty()) {
        CompositionOffsets(box, setup, composition);
    }
    box.OpenFull("stss", 0, 0);
    uint32_t keys = 0;
    for (const AccessUnit& unit : units) {
        keys += unit.key ? 1 : 0;
    }
    box.U32(keys);
    for (size_t i = 0; i < units.size(); ++i) {
        if (units[i].key) {
            box.U32(static_cast<uint32_t>(i + 1));
        }
    }
    box.Close();
    box.OpenFull("stsc", 0, 0);
    box.U32(1);
    box.U32(1); // from the first chunk on,
    box.U32(1); // one sample a chunk,
    box.U32(1); // described by the one entry
    box.Close();
    box.OpenFull("stsz", 0, 0);
    box.U32(0);
    box.U32(static_cast<uint32_t>(units.size()));
    for (const AccessUnit& unit : units) {
        box.U32(unit.size);
    }
    box.Close();
    box.OpenFull(wide ? "co64" : "stco", 0, 0);
    box.U32(static_cast<uint32_t>(units.size()));
    for (const AccessUnit& unit : units) {
        const uint64_t offset = static_cast<uint64_t>(static_cast<int64_t>(unit.offset) + shift);
        if (wide) {
            box.U64(offset);
        } else {
            box.U32(static_cast<uint32_t>(offset));
        }
    }
    box.Close();
    box.Close();
}

} // namespace

std::vector<unsigned char> BuildMovieIndex(const VideoSetup& setup,
                                           std::span<const AccessUnit> units,
                                           const Composition& composition, const SoundSetup* sound,
                                           std::span<const SoundFrame> soundFrames, int64_t shift,
                                           bool wide) {
    const uint64_t duration = uint64_t{setup.sampleDelta} * units.size();
    const uint64_t movieDuration = duration * kMovieTimescale / setup.timescale;
    const bool withSound = sound && !soundFrames.empty();
    const uint64_t longest = withSound
                                 ? std::max(movieDuration, SoundMovieDuration(*sound, soundFrames))
                                 : movieDuration;
    BoxWriter box;
    box.Open("moov");
    box.OpenFull("mvhd", 1, 0);
    box.Zeros(16); // creation and modification times: unknown
    box.U32(kMovieTimescale);
    box.U64(longest);
    box.U32(0x00010000); // normal rate
    box.U16(0x0100);     // full volume
    box.Zeros(10);
    WriteMatrix(box);
    box.Zeros(24);
    box.U32(withSound ? 3 : 2); // next track id
    box.Close();

    box.Open("trak");
    box.OpenFull("tkhd", 1, 3); // enabled, in the movie
    box.Zeros(16);
    box.U32(1); // track id
    box.U32(0);
    box.U64(movieDuration);
    box.Zeros(16); // reserved, layer, alternate group, volume, reserved
    WriteMatrix(box);
    box.U32(setup.width << 16);
    box.U32(setup.height << 16);
    box.Close();
    if (composition.delay > 0) {
        // The first picture is shown once the delay the reordering needs has passed.
        WriteStartDelay(box, movieDuration, uint64_t{composition.delay} * setup.sampleDelta);
    }

    OpenMedia(box, setup.timescale, duration, "vide", "VideoHandler");
    box.Open("minf");
    box.OpenFull("vmhd", 0, 1);
    box.Zeros(8);
    box.Close();
    WriteDataHere(box);
    SampleTable(box, setup, units, composition, shift, wide);
    box.Close();
    box.Close();
    box.Close();
    if (withSound) {
        WriteSoundTrack(box, *sound, soundFrames, 2, shift, wide);
    }
    box.Close();
    return box.Result();
}
