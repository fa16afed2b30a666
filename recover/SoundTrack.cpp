#include "recover/SoundTrack.h"

#include <utility>
#include <vector>

#include "recover/TrackParts.h"

namespace {

uint64_t MediaDuration(const SoundSetup& setup, std::span<const SoundFrame> frames) {
    return uint64_t{setup.frameDuration} * frames.size();
}

// The priming skipped at the start, when there is more sound than that.
uint64_t Delay(const SoundSetup& setup, std::span<const SoundFrame> frames) {
    return setup.delay < MediaDuration(setup, frames) ? setup.delay : 0;
}

// The first frame of each run of frames back to back.
std::vector<size_t> ChunkStarts(std::span<const SoundFrame> frames) {
    std::vector<size_t> starts;
    for (size_t i = 0; i < frames.size(); ++i) {
        if (i == 0 || frames[i - 1].offset + frames[i - 1].size != frames[i].offset) {
            starts.push_back(i);
        }
    }
    return starts;
}

void ChunkTables(BoxWriter& box, std::span<const SoundFrame> frames, int64_t shift, bool wide) {
    const std::vector<size_t> starts = ChunkStarts(frames);
    // Runs of chunks of as many frames: (first chunk, counting from 1, and frames in each).
    std::vector<std::pair<uint32_t, uint32_t>> runs;
    for (size_t chunk = 0; chunk < starts.size(); ++chunk) {
        const size_t end = chunk + 1 < starts.size() ? starts[chunk + 1] : frames.size();
        const auto count = static_cast<uint32_t>(end - starts[chunk]);
        if (runs.empty() || runs.back().second != count) {
            runs.push_back({static_cast<uint32_t>(chunk + 1), count});
        }
    }
    box.OpenFull("stsc", 0, 0);
    box.U32(static_cast<uint32_t>(runs.size()));
    for (const auto& [first, count] : runs) {
        box.U32(first);
        box.U32(count);
        box.U32(1); // the one sample entry
    }
    box.Close();
    box.OpenFull("stsz", 0, 0);
    box.U32(0);
    box.U32(static_cast<uint32_t>(frames.size()));
    for (const SoundFrame& frame : frames) {
        box.U32(frame.size);
    }
    box.Close();
    box.OpenFull(wide ? "co64" : "stco", 0, 0);
    box.U32(static_cast<uint32_t>(starts.size()));
    for (size_t start : starts) {
        const auto offset =
            static_cast<uint64_t>(static_cast<int64_t>(frames[start].offset) + shift);
        if (wide) {
            box.U64(offset);
        } else {
            box.U32(static_cast<uint32_t>(offset));
        }
    }
    box.Close();
}

void SampleTable(BoxWriter& box, const SoundSetup& setup, std::span<const SoundFrame> frames,
                 int64_t shift, bool wide) {
    box.Open("stbl");
    WriteEntryAndSpacing(box, setup.sampleEntry, frames.size(), setup.frameDuration);
    ChunkTables(box, frames, shift, wide);
    box.Close();
}

} // namespace

uint64_t SoundMovieDuration(const SoundSetup& setup, std::span<const SoundFrame> frames) {
    const uint64_t shown = MediaDuration(setup, frames) - Delay(setup, frames);
    return shown * kMovieTimescale / setup.timescale;
}

void WriteSoundTrack(BoxWriter& box, const SoundSetup& setup, std::span<const SoundFrame> frames,
                     uint32_t trackId, int64_t shift, bool wide) {
    const uint64_t duration = MediaDuration(setup, frames);
    const uint64_t movieDuration = SoundMovieDuration(setup, frames);
    box.Open("trak");
    box.OpenFull("tkhd", 1, 3); // enabled, in the movie
    box.Zeros(16);
    box.U32(trackId);
    box.U32(0);
    box.U64(movieDuration);
    box.Zeros(12);   // reserved, layer, alternate group
    box.U16(0x0100); // full volume
    box.U16(0);
    WriteMatrix(box);
    box.U32(0); // no picture
    box.U32(0);
    box.Close();
    if (Delay(setup, frames) > 0) {
        // The encoder's priming is played from before the first sample shown, as the camera's
        // own index has it.
        WriteStartDelay(box, movieDuration, Delay(setup, frames));
    }
    OpenMedia(box, setup.timescale, duration, "soun", "SoundHandler");
    box.Open("minf");
    box.OpenFull("smhd", 0, 0);
    box.Zeros(4); // balance, reserved
    box.Close();
    WriteDataHere(box);
    SampleTable(box, setup, frames, shift, wide);
    box.Close();
    box.Close();
    box.Close();
}
