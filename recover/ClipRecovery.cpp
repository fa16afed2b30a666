#include "recover/ClipRecovery.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <sys/stat.h>

#include "recover/Composition.h"
#include "recover/CutClip.h"
#include "recover/MdatWalk.h"
#include "recover/MovieIndex.h"
#include "recover/RecoveredFile.h"
#include "recover/SoundRecovery.h"
#include "recover/StreamCodec.h"
#include "recover/TemplateSetup.h"
#include "track/ClipFile.h"

namespace {

// For a cut clip whose own file type box was lost with the rest.
const std::vector<unsigned char> kFileType = {0,   0,   0,   28,  'f', 't', 'y', 'p', 'i', 's',
                                              'o', 'm', 0,   0,   2,   0,   'i', 's', 'o', 'm',
                                              'a', 'v', 'c', '1', 'm', 'p', '4', '1'};

bool Opened(ClipFile& file, const std::string& path, const std::string& role,
            RecoveryOutcome& outcome) {
    if (file.Open(path)) {
        return true;
    }
    outcome.why = role + path + ": " + std::strerror(file.LastError());
    return false;
}

std::optional<VideoSetup> TemplateSetup(const std::string& templateClip, RecoveryOutcome& outcome) {
    ClipFile file;
    if (!Opened(file, templateClip, "template ", outcome)) {
        return std::nullopt;
    }
    return ReadTemplateSetup(file, outcome.why);
}

// The setup for the frames walked: the template's, when it shows pictures of their size, or
// the one their own parameter sets give.
std::optional<VideoSetup> Setup(std::optional<VideoSetup> setup, VideoCodec codec,
                                const WalkedVideo& video, RecoveryOutcome& outcome) {
    if (!setup) {
        return SetupFromStream(codec, video, outcome.timingAssumed, outcome.why);
    }
    const std::optional<StreamPictures> own = PicturesOf(codec, video.sps);
    if (own && (own->width != setup->width || own->height != setup->height)) {
        outcome.why = "the template's video is " + std::to_string(setup->width) + "x" +
                      std::to_string(setup->height) + ", the clip's " + std::to_string(own->width) +
                      "x" + std::to_string(own->height) +
                      ": give a clip of the same camera and settings";
        return std::nullopt;
    }
    return setup;
}

// The codec the walk reads: the template's, unless the clip's own parameter sets are of the
// other, which no template of another camera or setting can stand in for.
std::optional<VideoCodec> CodecToWalk(ByteSource& clip, const CutClip& cut,
                                      const std::optional<VideoSetup>& known,
                                      RecoveryOutcome& outcome) {
    const std::optional<VideoCodec> own = SniffCodec(clip, cut.mediaBegin, cut.mediaEnd);
    if (known && own && *own != known->codec) {
        outcome.why = "the template's video is " + CodecName(known->codec) + ", the clip's " +
                      CodecName(*own) + ": give a clip of the same camera and settings";
        return std::nullopt;
    }
    if (!known && !own) {
        outcome.why = "no template given and the clip holds no SPS of its own (H.264 or H.265): "
                      "give a healthy clip of the same camera with --template";
        return std::nullopt;
    }
    return known ? known->codec : *own;
}

// When pictures are shown: H.265 slices always give their order count, so one that could
// not be read would leave the order unknown, and timestamps guessed are refused instead.
std::optional<Composition> ShownOrder(VideoCodec codec, const WalkedVideo& video,
                                      const VideoSetup& setup, RecoveryOutcome& outcome) {
    const std::optional<StreamPictures> stream =
        PicturesOf(codec, video.sps.empty() ? setup.sps : video.sps);
    const bool allOrdered = std::all_of(video.units.begin(), video.units.end(),
                                        [](const AccessUnit& unit) { return unit.hasPocLsb; });
    if (codec == VideoCodec::H265 && (!stream || !allOrdered)) {
        outcome.why = "the order the clip's H.265 pictures are shown in cannot be read from "
                      "their slices";
        return std::nullopt;
    }
    return stream ? ComposeUnits(video.units, stream->pocLsbBits) : Composition();
}

// The cut clip as the walk and the copy read it, each read telling how far the work has come:
// the walk is the first half, the copy the second. Once the listener asks to stop, every
// read comes back empty, which both take as the end of the clip.
class WatchedSource : public ByteSource {
public:
    WatchedSource(ByteSource& source, const RecoveryProgress& progress, uint64_t end)
        : m_source(source), m_progress(progress), m_end(std::max<uint64_t>(end, 1)) {}

    uint64_t Length() const override { return m_source.Length(); }
    std::span<const unsigned char> Read(uint64_t offset, size_t count) override {
        if (m_stopped) {
            return {};
        }
        if (m_progress) {
            // A walk steps back a little to look again, never the work as a whole.
            m_reached = std::max(m_reached, std::min(1.0, double(offset + count) / double(m_end)));
            m_stopped = !m_progress(m_half * 0.5 + m_reached * 0.5);
            if (m_stopped) {
                return {};
            }
        }
        return m_source.Read(offset, count);
    }
    void StartCopy() {
        m_half = 1;
        m_reached = 0.0;
    }
    bool Stopped() const { return m_stopped; }

private:
    ByteSource& m_source;
    const RecoveryProgress& m_progress;
    uint64_t m_end;
    int m_half = 0;
    double m_reached = 0.0;
    bool m_stopped = false;
};

constexpr const char* kStopped = "stopped before it was done";

bool SameFile(const std::string& a, const std::string& b) {
    struct stat first = {};
    struct stat second = {};
    return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

} // namespace

RecoveryOutcome RecoverClip(const std::string& cutClip, const std::string& templateClip,
                            const std::string& output, const RecoveryProgress& progress) {
    RecoveryOutcome outcome;
    struct stat existing = {};
    if (::lstat(output.c_str(), &existing) == 0 || SameFile(cutClip, output)) {
        outcome.why = output + " exists already: not overwritten";
        return outcome;
    }
    // The partial file's name is cleared before writing: it must not be the cut clip's.
    if (SameFile(cutClip, output + ".part")) {
        outcome.why = "the output's partial file " + output + ".part would be the clip itself";
        return outcome;
    }
    ClipFile file;
    if (!Opened(file, cutClip, "", outcome)) {
        return outcome;
    }
    const std::optional<CutClip> cut = FindCutClip(file, outcome.why);
    if (!cut) {
        return outcome;
    }
    std::optional<VideoSetup> known;
    if (!templateClip.empty()) {
        known = TemplateSetup(templateClip, outcome);
        if (!known) {
            return outcome;
        }
    }
    const std::optional<VideoCodec> codec = CodecToWalk(file, *cut, known, outcome);
    if (!codec) {
        return outcome;
    }
    const std::unique_ptr<NalSyntax> syntax = SyntaxFor(*codec, known ? &*known : nullptr);
    WatchedSource watched(file, progress, cut->mediaEnd);
    const WalkedVideo video = MdatWalk(watched, cut->mediaBegin, cut->mediaEnd, *syntax).Run();
    if (watched.Stopped()) {
        outcome.why = kStopped;
        return outcome;
    }
    const std::optional<VideoSetup> setup = Setup(std::move(known), *codec, video, outcome);
    if (!setup) {
        return outcome;
    }
    if (video.units.empty()) {
        outcome.why =
            "no whole " + CodecName(*codec) + " frame from a key frame on in the media data";
        return outcome;
    }
    const std::optional<Composition> shown = ShownOrder(*codec, video, *setup, outcome);
    if (!shown) {
        return outcome;
    }
    const Composition& composition = *shown;
    const RecoveredSound sound = RecoverSound(watched, templateClip, video.skipped);
    if (watched.Stopped()) {
        outcome.why = kStopped;
        return outcome;
    }
    const SoundSetup* soundSetup = sound.setup ? &*sound.setup : nullptr;
    const std::vector<unsigned char>& fileType = cut->fileType.empty() ? kFileType : cut->fileType;
    // The index's size does not depend on the offsets it holds, only on their width.
    bool wide = false;
    int64_t shift = 0;
    for (int pass = 0; pass < 2; ++pass) {
        const uint64_t indexSize =
            BuildMovieIndex(*setup, video.units, composition, soundSetup, sound.frames, 0, wide)
                .size();
        shift = static_cast<int64_t>(fileType.size() + indexSize + kMediaHeaderLength) -
                static_cast<int64_t>(cut->mediaBegin);
        uint64_t lastOffset = video.units.back().offset;
        if (!sound.frames.empty()) {
            lastOffset = std::max(lastOffset, sound.frames.back().offset);
        }
        wide = wide || static_cast<int64_t>(lastOffset) + shift > int64_t{0xFFFFFFFF};
    }
    std::vector<unsigned char> head = fileType;
    const std::vector<unsigned char> index =
        BuildMovieIndex(*setup, video.units, composition, soundSetup, sound.frames, shift, wide);
    head.insert(head.end(), index.begin(), index.end());
    watched.StartCopy();
    if (!WriteRecoveredFile(watched, cut->mediaBegin, cut->mediaEnd, head, output, outcome.why)) {
        if (watched.Stopped()) {
            outcome.why = kStopped;
        }
        return outcome;
    }
    outcome.ok = true;
    outcome.frames = video.units.size();
    for (const AccessUnit& unit : video.units) {
        outcome.keyFrames += unit.key ? 1 : 0;
    }
    outcome.skippedBytes = video.skippedBytes;
    outcome.soundFrames = sound.frames.size();
    outcome.soundNote = sound.note;
    outcome.frameRate = double(setup->timescale) / setup->sampleDelta;
    return outcome;
}

bool IsCutClip(const std::string& path) {
    ClipFile file;
    std::string why;
    return file.Open(path) && FindCutClip(file, why).has_value();
}
