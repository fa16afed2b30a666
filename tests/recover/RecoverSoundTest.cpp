// Clips with AAC sound between their frames, as most cameras record, cut short: with a
// template that has sound, the sound comes back as a second track, each frame where the
// clip holds it and played when the whole clip played it; every frame written whole before
// the cut comes back as before. What must come back is judged by ffprobe's packets of the
// clip before it was cut, and by ffmpeg decoding the result.

#include "RecoverTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <random>

namespace {

struct SoundCase {
    const char* name;
    const char* video;    // the clip maker's options for the codec
    const char* sound;    // ffmpeg's lavfi sine options
    const char* channels; // ffmpeg's options for the channels
    double rate;          // samples per second
};

// An AAC frame is 1024 samples: a recovered frame may play up to one frame away.
double FrameSeconds(const SoundCase& sound) {
    return 1024.0 / sound.rate;
}

// `silent` with a sine tone as AAC sound, muxed by ffmpeg, which writes the index last.
void AddSound(const std::string& silent, const std::string& out, int frequency,
              const SoundCase& sound) {
    ASSERT_EQ(Shell("ffmpeg -v error -nostdin -i " + Quoted(silent) +
                    " -f lavfi -i sine=frequency=" + std::to_string(frequency) +
                    ":duration=4:" + sound.sound + " -map 0:v -map 1:a -c:v copy -c:a aac " +
                    sound.channels + " -shortest " + Quoted(out))
                  .status,
              0);
}

// The bytes of `path` from `offset` on replaced by `count` bytes drawn from a fixed seed.
void Scramble(const std::string& path, uint64_t offset, uint64_t count, unsigned seed) {
    std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
    file.seekp(static_cast<std::streamoff>(offset));
    std::mt19937 random(seed);
    for (uint64_t i = 0; i < count; ++i) {
        file.put(static_cast<char>(random() & 0xFF));
    }
}

class RecoverSound : public ::testing::TestWithParam<SoundCase> {
protected:
    void SetUp() override {
        m_folder = TestFolder(std::string("recover-sound-") + GetParam().name);
        const std::string options = std::string(kClipOptions) + " " + GetParam().video;
        ASSERT_EQ(MakeClip(Path("T.MP4"), options).status, 0);
        ASSERT_EQ(MakeClip(Path("S.MP4"), options + " --colour 0x806040").status, 0);
        AddSound(Path("T.MP4"), Path("HEALTHY.MP4"), 300, GetParam());
        AddSound(Path("S.MP4"), Path("SOUND.MP4"), 440, GetParam());
        m_video = VideoPackets(Path("SOUND.MP4"));
        m_sound = SoundPackets(Path("SOUND.MP4"));
        ASSERT_EQ(m_video.size(), 40u);
        ASSERT_GT(m_sound.size(), 100u);
    }
    void TearDown() override { std::filesystem::remove_all(m_folder); }

    std::string Path(const std::string& name) const { return (m_folder / name).string(); }

    // A sound packet in the middle of the clip that another follows directly, in the run.
    size_t InsideARun() const {
        for (size_t i = m_sound.size() / 2; i + 1 < m_sound.size(); ++i) {
            if (m_sound[i].offset + m_sound[i].size == m_sound[i + 1].offset) {
                return i;
            }
        }
        ADD_FAILURE() << "no run of sound packets";
        return 0;
    }

    // Recovers `clip` with the template into OUT.MP4 and checks its video against the clip's
    // frames written whole before `cut`.
    std::string Recovered(const std::string& clip, uint64_t cut, const std::string& where) {
        const std::string out = Path("OUT.MP4");
        std::filesystem::remove(out);
        const ToolRun run = Recover("--template " + Quoted(Path("HEALTHY.MP4")) + " " +
                                    Quoted(clip) + " -o " + Quoted(out));
        EXPECT_EQ(run.status, 0) << where << ": " << run.err;
        std::string errors;
        const std::vector<int> codes = FrameCodes(out, errors);
        EXPECT_EQ(errors, "") << where;
        EXPECT_EQ(static_cast<int>(codes.size()), WholeBefore(m_video, cut)) << where;
        for (size_t i = 0; i < codes.size(); ++i) {
            EXPECT_EQ(codes[i], static_cast<int>(i)) << where;
        }
        const ToolRun decode = Shell("ffmpeg -v error -nostdin -i " + Quoted(out) + " -f null -");
        EXPECT_EQ(decode.status, 0) << where;
        EXPECT_EQ(decode.err, "") << where;
        return out;
    }

    // How far the recovered clip's media data lies from the cut clip's, by its first frame.
    int64_t Shift(const std::string& out) const {
        const std::vector<Packet> frames = VideoPackets(out);
        return frames.empty() ? 0
                              : static_cast<int64_t>(frames[0].offset) -
                                    static_cast<int64_t>(m_video[0].offset);
    }

    // Cuts the clip at `cut` and checks that every sound packet written whole before it
    // comes back, from where the clip holds it, played when the whole clip played it.
    void Check(uint64_t cut, const std::string& where) {
        const std::string clip = Path("CUT.MP4");
        CopyCut(Path("SOUND.MP4"), clip, cut);
        const std::string out = Recovered(clip, cut, where);
        const ToolRun stream = Shell("ffprobe -v error -select_streams a:0 -show_entries "
                                     "stream=codec_name,sample_rate -of csv=p=0 " +
                                     Quoted(out));
        EXPECT_EQ(stream.out, "aac," + std::to_string(static_cast<int>(GetParam().rate)) + "\n")
            << where;
        std::vector<SoundPacket> whole;
        for (const SoundPacket& packet : m_sound) {
            if (packet.offset + packet.size <= cut) {
                whole.push_back(packet);
            }
        }
        const std::vector<SoundPacket> found = SoundPackets(out);
        ASSERT_EQ(found.size(), whole.size()) << where;
        const int64_t shift = Shift(out);
        const double frame = FrameSeconds(GetParam());
        for (size_t i = 0; i < found.size(); ++i) {
            EXPECT_EQ(static_cast<int64_t>(found[i].offset) - shift,
                      static_cast<int64_t>(whole[i].offset))
                << where << ", packet " << i;
            EXPECT_EQ(found[i].size, whole[i].size) << where << ", packet " << i;
            EXPECT_LE(std::abs(found[i].time - whole[i].time), frame + 1e-6)
                << where << ", packet " << i;
        }
        if (!found.empty()) {
            const double end = found.back().time + found.back().duration;
            EXPECT_LE(std::abs(end - (whole.back().time + whole.back().duration)), frame + 1e-6)
                << where;
        }
    }

    std::filesystem::path m_folder;
    std::vector<Packet> m_video;
    std::vector<SoundPacket> m_sound;
};

TEST_P(RecoverSound, EverySoundFrameWrittenWholeComesBackInStep) {
    const size_t run = InsideARun();
    const SoundPacket& inside = m_sound[run];
    Check(inside.offset + inside.size / 2, "inside a sound frame");
    Check(inside.offset + inside.size, "between two sound frames");
    Check(m_sound[run + 1].offset + 1, "a byte into a sound frame");
    Check(m_video[12].offset + m_video[12].size / 3, "inside frame 12");
    Check(m_video[37].offset + m_video[37].size / 3, "inside frame 37");
    // ffmpeg, as a camera, writes the index after the media: power lost while it is written
    // leaves an index cut short, which is no index.
    const uint64_t index = FileBytes(Path("SOUND.MP4")).rfind("moov") - 4;
    Check(index + 64, "inside the index written last");
}

// Twenty cuts from a fixed seed, so that a failing one is found again; from where the first
// frame and the first sound frame are whole on, since before that there is nothing to hear.
TEST_P(RecoverSound, TwentyCutsDrawnAtRandomGiveBackTheSoundInStep) {
    const uint64_t first =
        std::max(m_video[0].offset + m_video[0].size, m_sound[0].offset + m_sound[0].size);
    std::mt19937_64 random(20261211);
    std::uniform_int_distribution<uint64_t> place(first,
                                                  std::filesystem::file_size(Path("SOUND.MP4")));
    for (int i = 0; i < 20; ++i) {
        const uint64_t cut = place(random);
        Check(cut, "the cut at " + std::to_string(cut));
        if (HasFatalFailure()) {
            return;
        }
    }
}

// Megabytes of random bytes between two frames, as a damaged card gives: lengths in them that
// happen to lead from one plausible unit to the next are no frames, and none is taken.
TEST_P(RecoverSound, MegabytesOfRandomBytesBetweenFramesGiveNoFrame) {
    std::string bytes = FileBytes(Path("SOUND.MP4"));
    bytes.resize(bytes.rfind("moov") - 4);
    std::mt19937 random(31);
    std::string damage(6u << 20, '\0');
    for (char& byte : damage) {
        byte = static_cast<char>(random() & 0xFF);
    }
    bytes.insert(m_video[20].offset, damage);
    const std::string clip = Path("CUT.MP4");
    std::ofstream(clip, std::ios::binary) << bytes;
    const std::string out = Path("OUT.MP4");
    const ToolRun run = Recover("--template " + Quoted(Path("HEALTHY.MP4")) + " " + Quoted(clip) +
                                " -o " + Quoted(out));
    ASSERT_EQ(run.status, 0) << run.err;
    std::string errors;
    const std::vector<int> codes = FrameCodes(out, errors);
    EXPECT_EQ(errors, "");
    ASSERT_GE(codes.size(), 20u);
    for (size_t i = 0; i < 20; ++i) {
        EXPECT_EQ(codes[i], static_cast<int>(i));
    }
    for (size_t i = 20; i < codes.size(); ++i) {
        EXPECT_GT(codes[i], codes[i - 1]) << "a frame out of order after the damage";
        EXPECT_LT(codes[i], 40);
    }
    EXPECT_EQ(Shell("ffmpeg -v error -nostdin -i " + Quoted(out) + " -f null -").err, "");
}

// Random bytes over a whole run of sound and over part of a frame of another: the sound
// around them comes back and nothing in their place that does not decode.
TEST_P(RecoverSound, DamagedSoundGivesNoFrameThatFailsToDecode) {
    const size_t run = InsideARun();
    size_t first = run;
    while (first > 0 &&
           m_sound[first - 1].offset + m_sound[first - 1].size == m_sound[first].offset) {
        --first;
    }
    size_t last = run;
    while (last + 1 < m_sound.size() &&
           m_sound[last].offset + m_sound[last].size == m_sound[last + 1].offset) {
        ++last;
    }
    const uint64_t runBegin = m_sound[first].offset;
    const uint64_t runEnd = m_sound[last].offset + m_sound[last].size;
    const SoundPacket& hit = m_sound[m_sound.size() / 5];
    const uint64_t hitBegin = hit.offset + hit.size / 2;
    const uint64_t hitEnd = hit.offset + hit.size;
    const uint64_t cut = m_video[37].offset;
    const std::string clip = Path("CUT.MP4");
    CopyCut(Path("SOUND.MP4"), clip, cut);
    Scramble(clip, runBegin, runEnd - runBegin, 7);
    Scramble(clip, hitBegin, hitEnd - hitBegin, 11);
    const std::string out = Recovered(clip, cut, "damaged sound");
    const int64_t shift = Shift(out);
    std::vector<uint64_t> found;
    for (const SoundPacket& packet : SoundPackets(out)) {
        found.push_back(static_cast<uint64_t>(static_cast<int64_t>(packet.offset) - shift));
    }
    for (const SoundPacket& packet : m_sound) {
        const bool damaged = (packet.offset < runEnd && packet.offset + packet.size > runBegin) ||
                             (packet.offset < hitEnd && packet.offset + packet.size > hitBegin);
        const bool back = std::find(found.begin(), found.end(), packet.offset) != found.end();
        if (packet.offset + packet.size <= cut && !damaged) {
            EXPECT_TRUE(back) << "the whole sound frame at " << packet.offset << " is lost";
        }
        if (packet.offset >= runBegin && packet.offset < runEnd) {
            EXPECT_FALSE(back) << "random bytes at " << packet.offset << " taken for sound";
        }
    }
}

// A clip a camera recorded without sound (its GPS blocks between the frames), one of its
// blocks turned to random bytes: with a template that has sound it recovers as it did
// without, with no sound track.
TEST_P(RecoverSound, ClipWithoutSoundHasNoSoundTrack) {
    const std::string clip = Path("SILENT.MP4");
    ASSERT_EQ(MakeClip(clip, std::string(kClipOptions) + " " + GetParam().video +
                                 " --colour 0x3060c0 --power-cut " + Quoted(Path("layout.csv")))
                  .status,
              0);
    std::vector<LayoutRow> layout = ReadLayout(Path("layout.csv"));
    const auto block = std::find_if(layout.begin() + static_cast<long>(layout.size() / 2),
                                    layout.end(), [](const LayoutRow& row) { return !row.frame; });
    ASSERT_NE(block, layout.end());
    Scramble(clip, block->offset, block->size, 5);
    const std::string out = Path("OUT.MP4");
    const ToolRun run = Recover("--template " + Quoted(Path("HEALTHY.MP4")) + " " + Quoted(clip) +
                                " -o " + Quoted(out));
    ASSERT_EQ(run.status, 0) << run.err;
    std::string errors;
    const std::vector<int> codes = FrameCodes(out, errors);
    EXPECT_EQ(errors, "");
    EXPECT_EQ(static_cast<int>(codes.size()),
              std::count_if(layout.begin(), layout.end(),
                            [](const LayoutRow& row) { return row.frame; }));
    EXPECT_EQ(Shell("ffprobe -v error -select_streams a -show_entries stream=index -of csv=p=0 " +
                    Quoted(out))
                  .out,
              "");
}

// A template without sound tells nothing of the clip's: the video comes back, the sound is
// left out, and the tool says so.
TEST_P(RecoverSound, WithATemplateWithoutSoundTheSoundIsLeftOutAndSaidSo) {
    const uint64_t cut = m_video[37].offset + m_video[37].size / 3;
    const std::string clip = Path("CUT.MP4");
    CopyCut(Path("SOUND.MP4"), clip, cut);
    const std::string out = Path("OUT.MP4");
    const ToolRun run =
        Recover("--template " + Quoted(Path("T.MP4")) + " " + Quoted(clip) + " -o " + Quoted(out));
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("sound, if any, left out: the template has no sound track"),
              std::string::npos)
        << run.out;
    std::string errors;
    EXPECT_EQ(static_cast<int>(FrameCodes(out, errors).size()), WholeBefore(m_video, cut));
    EXPECT_EQ(errors, "");
    EXPECT_EQ(SoundPackets(out).size(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Codecs, RecoverSound,
    ::testing::Values(SoundCase{"h264", "", "sample_rate=44100", "-ac 1", 44100.0},
                      SoundCase{"h265", "--codec h265", "sample_rate=48000", "-ac 2", 48000.0}),
    [](const ::testing::TestParamInfo<SoundCase>& info) { return std::string(info.param.name); });

} // namespace

namespace {

// ffmpeg's own picture and tone, its sound written between every two frames as it muxes by
// default: frames above 64 KiB have lengths whose first two bytes are zero, and sound that
// ends in zeros reads, with them, as a length a few bytes early.
void MakeInterleaved(const std::string& clip, int seconds, int frequency) {
    ASSERT_EQ(Shell("ffmpeg -v error -nostdin -y -f lavfi -i testsrc2=size=1280x720:rate=30 "
                    "-f lavfi -i sine=frequency=" +
                    std::to_string(frequency) + ":sample_rate=48000 -t " + std::to_string(seconds) +
                    " -c:v libx264 -preset ultrafast -qp 2 -g 30 -c:a aac -ac 2 -b:a 128k " +
                    Quoted(clip))
                  .status,
              0);
}

TEST(RecoverInterleavedSound, LengthsReadAcrossSoundAndAFramesLengthAreNoFrames) {
    const std::filesystem::path folder = TestFolder("recover-interleaved");
    const std::string healthy = (folder / "HEALTHY.MP4").string();
    const std::string whole = (folder / "WHOLE.MP4").string();
    const std::string clip = (folder / "CUT.MP4").string();
    const std::string out = (folder / "OUT.MP4").string();
    MakeInterleaved(healthy, 2, 300);
    MakeInterleaved(whole, 10, 440);
    std::string bytes = FileBytes(whole);
    bytes.resize(bytes.rfind("moov") - 4);
    std::ofstream(clip, std::ios::binary) << bytes;
    const ToolRun run =
        Recover("--template " + Quoted(healthy) + " " + Quoted(clip) + " -o " + Quoted(out));
    ASSERT_EQ(run.status, 0) << run.err;
    // Nothing was lost but the index: every frame and sound frame comes back as it was.
    const std::vector<Packet> frames = VideoPackets(out);
    const std::vector<Packet> written = VideoPackets(whole);
    ASSERT_EQ(frames.size(), written.size());
    for (size_t i = 0; i < frames.size(); ++i) {
        EXPECT_EQ(frames[i].size, written[i].size) << "frame " << i;
    }
    const std::vector<SoundPacket> sound = SoundPackets(out);
    const std::vector<SoundPacket> played = SoundPackets(whole);
    ASSERT_EQ(sound.size(), played.size());
    for (size_t i = 0; i < sound.size(); ++i) {
        EXPECT_EQ(sound[i].size, played[i].size) << "sound frame " << i;
        EXPECT_NEAR(sound[i].time, played[i].time, 1e-6) << "sound frame " << i;
    }
    EXPECT_EQ(Shell("ffmpeg -v error -nostdin -i " + Quoted(out) + " -f null -").err, "");
    std::filesystem::remove_all(folder);
}

} // namespace
