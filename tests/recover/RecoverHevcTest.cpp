// ostvik-recover on H.265 clips as the clip maker writes them when a camera's power is cut,
// cut shorter still at chosen places and at twenty places drawn from a fixed seed; the same
// random sweep for H.264. What must come back is judged by the maker's record of where each
// frame and block lies, by the numbers burnt into the pictures, by ffmpeg's decoding and by
// the maker's truth of the drive.

#include "RecoverTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <random>

namespace {

// A key frame a second, so that cuts fall among several of them and their parameter sets.
constexpr const char* kGop = " --gop 10";
// Bytes of the maker's plain freeGPS record; ostvik-track takes a block's record when all of
// them lie before the end of the file and at least one byte follows.
constexpr uint64_t kRecordBytes = 112;

class RecoveredCut {
public:
    RecoveredCut(const std::filesystem::path& folder, const std::string& codecOptions)
        : m_folder(folder), m_template(Path("HEALTHY.MP4")), m_full(Path("FULL.MP4")) {
        const std::string options = std::string(kClipOptions) + kGop + codecOptions;
        EXPECT_EQ(MakeClip(m_template, options).status, 0);
        // Other content than the template: another picture and another drive.
        EXPECT_EQ(MakeClip(m_full, options + " --colour 0x3060c0 --origin 48.85,2.35 --truth " +
                                       Quoted(Path("truth.csv")) + " --power-cut " +
                                       Quoted(Path("layout.csv")))
                      .status,
                  0);
        m_layout = ReadLayout(Path("layout.csv"));
        m_truth = ReadTruth(Path("truth.csv"));
    }

    std::string Path(const std::string& name) const { return (m_folder / name).string(); }
    const std::string& Full() const { return m_full; }
    const std::string& Template() const { return m_template; }

    const LayoutRow& Row(bool frame, int index) const {
        for (const LayoutRow& row : m_layout) {
            if (row.frame == frame && row.index == index) {
                return row;
            }
        }
        ADD_FAILURE() << "no such row in the layout";
        return m_layout.front();
    }

    // Cuts the full clip at `cut`, recovers it with or without the template, and checks
    // every frame and GPS second written whole before the cut against the maker's record.
    void Check(uint64_t cut, bool withTemplate) const {
        const std::string clip = Path("CUT.MP4");
        const std::string out = Path("OUT.MP4");
        const std::string where =
            std::to_string(cut) + (withTemplate ? " with" : " without") + " the template";
        CopyCut(m_full, clip, cut);
        const std::string before = FileBytes(clip);
        const ToolRun run =
            Recover((withTemplate ? "--template " + Quoted(m_template) + " " : std::string()) +
                    Quoted(clip) + " -o " + Quoted(out));
        ASSERT_EQ(run.status, 0) << where << ": " << run.err;
        EXPECT_EQ(FileBytes(clip), before) << "the cut clip was changed at " << where;
        EXPECT_FALSE(std::filesystem::exists(out + ".part"));
        std::string errors;
        const std::vector<int> codes = FrameCodes(out, errors);
        EXPECT_EQ(errors, "") << where;
        const int whole =
            Count([&](const LayoutRow& row) { return row.frame && row.offset + row.size <= cut; });
        ASSERT_EQ(static_cast<int>(codes.size()), whole) << where;
        for (int i = 0; i < whole; ++i) {
            EXPECT_EQ(codes[i], i) << where;
        }
        const std::vector<double> at = FrameTimes(out);
        ASSERT_EQ(static_cast<int>(at.size()), whole) << where;
        for (size_t i = 0; i < at.size(); ++i) {
            EXPECT_NEAR(at[i], 0.1 * static_cast<double>(i), 1e-3) << "frame spacing at " << where;
        }
        CheckTrack(out, where, Count([&](const LayoutRow& row) {
                       return !row.frame && row.offset + kRecordBytes < cut;
                   }));
        std::filesystem::remove(clip);
        std::filesystem::remove(out);
    }

private:
    template <typename Test> int Count(Test test) const {
        return static_cast<int>(std::count_if(m_layout.begin(), m_layout.end(), test));
    }

    void CheckTrack(const std::string& out, const std::string& where, int seconds) const {
        const ToolRun track = Shell(Quoted(OSTVIK_TRACK_TOOL) + " --format csv " + Quoted(out));
        std::vector<std::vector<double>> rows = NumberRows(track.out);
        ASSERT_FALSE(rows.empty()) << where;
        rows.erase(rows.begin()); // the header
        ASSERT_EQ(static_cast<int>(rows.size()), seconds) << where << "\n" << track.out;
        for (size_t i = 0; i < rows.size(); ++i) {
            EXPECT_EQ(rows[i][0], m_truth[i][0]) << where;
            EXPECT_NEAR(rows[i][2], m_truth[i][1], 1e-5) << "latitude of second " << i << where;
            EXPECT_NEAR(rows[i][3], m_truth[i][2], 1e-5) << "longitude of second " << i << where;
            EXPECT_NEAR(rows[i][4], std::trunc(m_truth[i][3]), 1.0) << "speed, second " << i;
        }
    }

    std::filesystem::path m_folder;
    std::string m_template;
    std::string m_full;
    std::vector<LayoutRow> m_layout;
    std::vector<std::vector<double>> m_truth;
};

class RecoverCodecSweep : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override { m_folder = TestFolder("recover-sweep-" + GetParam()); }
    void TearDown() override { std::filesystem::remove_all(m_folder); }

    std::filesystem::path m_folder;
};

TEST_P(RecoverCodecSweep, TwentyCutsDrawnAtRandomGiveBackEveryWholeFrameAndSecond) {
    const RecoveredCut clip(m_folder, " --codec " + GetParam());
    const uint64_t first = clip.Row(true, 0).offset + clip.Row(true, 0).size;
    const uint64_t length = std::filesystem::file_size(clip.Full());
    // A fixed seed, so that a failing cut is found again; from the end of the first frame on,
    // since before it there is nothing to recover.
    std::mt19937_64 random(20240917);
    std::uniform_int_distribution<uint64_t> place(first, length);
    for (int i = 0; i < 20; ++i) {
        const uint64_t cut = place(random);
        clip.Check(cut, i % 2 == 0);
        if (::testing::Test::HasFatalFailure()) {
            return;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Codecs, RecoverCodecSweep, ::testing::Values("h264", "h265"),
                         [](const auto& info) { return info.param; });

class RecoverHevc : public ::testing::Test {
protected:
    void SetUp() override { m_folder = TestFolder("recover-hevc"); }
    void TearDown() override { std::filesystem::remove_all(m_folder); }

    std::string Path(const std::string& name) const { return (m_folder / name).string(); }

    std::filesystem::path m_folder;
};

TEST_F(RecoverHevc, TheMakersClipIsH265WithAKeyFrameEverySecond) {
    const RecoveredCut clip(m_folder, " --codec h265");
    const ToolRun probe = Shell("ffprobe -v error -select_streams v:0 -show_entries "
                                "stream=codec_name,codec_tag_string -of csv=p=0 " +
                                Quoted(clip.Template()));
    EXPECT_EQ(probe.out, "hevc,hvc1\n");
    const std::vector<Packet> packets = VideoPackets(clip.Template());
    EXPECT_EQ(packets.size(), 40u);
    // The key frames of the power-cut clip open with the VPS (type 32: 0x40 0x01).
    for (const int key : {0, 10, 20, 30}) {
        const std::string bytes = FileBytes(clip.Full()).substr(clip.Row(true, key).offset, 6);
        EXPECT_EQ(bytes.substr(4), std::string("\x40\x01", 2)) << key;
    }
}

TEST_F(RecoverHevc, EveryWholeFrameComesBackWhereverTheClipIsCut) {
    const RecoveredCut clip(m_folder, " --codec h265");
    const uint64_t cuts[] = {
        clip.Row(true, 7).offset + clip.Row(true, 7).size / 2,   // inside a frame
        clip.Row(true, 10).offset + 3,                           // in a key frame's VPS
        clip.Row(true, 20).offset + 40,                          // in its SPS
        clip.Row(false, 2).offset + 60,                          // inside a GPS block's record
        clip.Row(false, 3).offset + clip.Row(false, 3).size / 2, // inside a block's padding
        clip.Row(true, 26).offset,                               // right after a whole frame
        std::filesystem::file_size(clip.Full()),                 // nothing lost
    };
    for (const uint64_t cut : cuts) {
        for (const bool withTemplate : {true, false}) {
            clip.Check(cut, withTemplate);
            if (HasFatalFailure()) {
                return;
            }
        }
    }
}

TEST_F(RecoverHevc, TheSetupMadeFromTheStreamDescribesItAsTheEncoderDid) {
    const RecoveredCut clip(m_folder, " --codec h265");
    const std::string cut = Path("CUT.MP4");
    CopyCut(clip.Full(), cut, clip.Row(true, 25).offset + 9);
    ASSERT_EQ(Recover(Quoted(cut) + " -o " + Quoted(Path("OUT.MP4"))).status, 0);
    // ffmpeg wrote the healthy clip's hvcC from the encoder's own parameter sets.
    const std::string fields = "stream=codec_tag_string,profile,level,width,height,pix_fmt,"
                               "r_frame_rate";
    const auto probe = [&](const std::string& file) {
        return Shell("ffprobe -v error -select_streams v:0 -show_entries " + fields +
                     " -of csv=p=0 " + Quoted(file))
            .out;
    };
    EXPECT_EQ(probe(Path("OUT.MP4")), probe(clip.Template()));
    EXPECT_EQ(probe(Path("OUT.MP4")), "Main,hvc1,160,120,yuv420p,30,10/1\n");
}

TEST_F(RecoverHevc, FramesStoredOutOfOrderAreShownInOrder) {
    const std::string healthy = Path("HEALTHY.MP4");
    const std::string full = Path("FULL.MP4");
    // B-frames, and x265's open groups of pictures: the pictures after a later key frame in
    // decoding order that are shown before it.
    const std::string options = "--seconds 4 --size 160x120 --fps 10 --frame-code --codec h265";
    ASSERT_EQ(MakeClip(healthy, options + kGop).status, 0);
    ASSERT_EQ(MakeClip(full, options + kGop + " --colour 0x40a040 --power-cut " +
                                 Quoted(Path("layout.csv")))
                  .status,
              0);
    std::vector<LayoutRow> frames = ReadLayout(Path("layout.csv"));
    std::erase_if(frames, [](const LayoutRow& row) { return !row.frame; });
    ASSERT_EQ(frames.size(), 40u);
    ASSERT_FALSE(std::is_sorted(frames.begin(), frames.end(), [](const auto& a, const auto& b) {
        return a.shown < b.shown;
    })) << "the maker's clip has no B-frames";
    const uint64_t cuts[] = {frames[13].offset + frames[13].size / 2,
                             frames[27].offset + frames[27].size / 2,
                             std::filesystem::file_size(full)};
    for (const uint64_t cut : cuts) {
        for (const bool withTemplate : {true, false}) {
            const std::string clip = Path("CUT.MP4");
            const std::string out = Path("OUT.MP4");
            CopyCut(full, clip, cut);
            const ToolRun run =
                Recover((withTemplate ? "--template " + Quoted(healthy) + " " : std::string()) +
                        Quoted(clip) + " -o " + Quoted(out));
            ASSERT_EQ(run.status, 0) << run.err;
            std::vector<int> expected;
            for (const LayoutRow& row : frames) {
                if (row.offset + row.size <= cut) {
                    expected.push_back(row.shown);
                }
            }
            std::sort(expected.begin(), expected.end());
            std::string errors;
            EXPECT_EQ(FrameCodes(out, errors), expected) << cut << " " << withTemplate;
            EXPECT_EQ(errors, "") << cut;
            const std::vector<double> at = FrameTimes(out);
            ASSERT_EQ(at.size(), expected.size()) << cut;
            for (size_t i = 0; i < at.size(); ++i) {
                EXPECT_NEAR(at[i], 0.1 * static_cast<double>(i), 1e-3) << cut;
            }
            std::filesystem::remove(clip);
            std::filesystem::remove(out);
        }
    }
}

TEST_F(RecoverHevc, AfterALostFirstKeyFrameTheLeadingPicturesOfTheNextAreLeftOut) {
    const std::string healthy = Path("HEALTHY.MP4");
    const std::string clip = Path("CUT.MP4");
    const std::string options = "--seconds 4 --size 160x120 --fps 10 --frame-code --codec h265";
    ASSERT_EQ(MakeClip(healthy, options + kGop).status, 0);
    ASSERT_EQ(MakeClip(clip, options + kGop + " --power-cut " + Quoted(Path("layout.csv"))).status,
              0);
    std::vector<LayoutRow> frames = ReadLayout(Path("layout.csv"));
    std::erase_if(frames, [](const LayoutRow& row) { return !row.frame; });
    {
        // The first frame, key picture and parameter sets, turned to noise.
        std::mt19937 random(3);
        std::string noise(frames[0].size, '\0');
        for (char& byte : noise) {
            byte = static_cast<char>(random());
        }
        std::fstream file(clip, std::ios::in | std::ios::out | std::ios::binary);
        file.seekp(static_cast<std::streamoff>(frames[0].offset));
        file.write(noise.data(), static_cast<std::streamsize>(noise.size()));
    }
    // With --gop 10 the next key picture is the one shown as picture 10, an open group's CRA:
    // the pictures after it in decoding order but shown before it refer to the lost ones, and
    // a player starting there skips them.
    const auto key = std::find_if(frames.begin(), frames.end(),
                                  [](const LayoutRow& row) { return row.shown == 10; });
    ASSERT_NE(key, frames.end());
    std::vector<int> expected;
    for (auto row = key; row != frames.end(); ++row) {
        if (row->shown >= 10) {
            expected.push_back(row->shown);
        }
    }
    std::sort(expected.begin(), expected.end());
    ASSERT_LT(expected.size(), static_cast<size_t>(frames.end() - key)) << "no leading pictures";
    const std::string out = Path("OUT.MP4");
    const ToolRun run =
        Recover("--template " + Quoted(healthy) + " " + Quoted(clip) + " -o " + Quoted(out));
    ASSERT_EQ(run.status, 0) << run.err;
    std::string errors;
    EXPECT_EQ(FrameCodes(out, errors), expected);
    EXPECT_EQ(errors, "");
    const std::vector<double> at = FrameTimes(out);
    ASSERT_EQ(at.size(), expected.size());
    for (size_t i = 0; i < at.size(); ++i) {
        EXPECT_NEAR(at[i], 0.1 * static_cast<double>(i), 1e-3);
    }
}

TEST_F(RecoverHevc, SoundBetweenTheFramesIsSteppedOver) {
    const std::string options = std::string(kClipOptions) + kGop + " --codec h265";
    const std::string healthy = Path("HEALTHY.MP4");
    const std::string silent = Path("SILENT.MP4");
    const std::string whole = Path("SOUND.MP4");
    ASSERT_EQ(MakeClip(healthy, options).status, 0);
    ASSERT_EQ(MakeClip(silent, options + " --colour 0x806040").status, 0);
    // ffmpeg writes the index last, where a power cut takes it away, and the parameter sets
    // only there: the template must give them, and the sound comes before the first frame.
    ASSERT_EQ(Shell("ffmpeg -v error -nostdin -i " + Quoted(silent) +
                    " -f lavfi -i sine=frequency=440:duration=4 -map 0:v -map 1:a -c:v copy "
                    "-tag:v hvc1 -c:a aac -shortest " +
                    Quoted(whole))
                  .status,
              0);
    const std::vector<Packet> packets = VideoPackets(whole);
    ASSERT_EQ(packets.size(), 40u);
    for (const int cutFrame : {12, 37}) {
        const uint64_t cut = packets[cutFrame].offset + packets[cutFrame].size / 3;
        const std::string clip = Path("CUT.MP4");
        const std::string out = Path("OUT.MP4");
        CopyCut(whole, clip, cut);
        const ToolRun run =
            Recover("--template " + Quoted(healthy) + " " + Quoted(clip) + " -o " + Quoted(out));
        ASSERT_EQ(run.status, 0) << run.err;
        std::string errors;
        const std::vector<int> codes = FrameCodes(out, errors);
        EXPECT_EQ(errors, "");
        ASSERT_EQ(static_cast<int>(codes.size()), WholeBefore(packets, cut));
        for (size_t i = 0; i < codes.size(); ++i) {
            EXPECT_EQ(codes[i], static_cast<int>(i));
        }
        // Without the template nothing tells the codec or its setup.
        const ToolRun alone = Recover(Quoted(clip) + " -o " + Quoted(Path("ALONE.MP4")));
        EXPECT_EQ(alone.status, 1);
        EXPECT_NE(alone.err.find("no template given"), std::string::npos) << alone.err;
        std::filesystem::remove(clip);
        std::filesystem::remove(out);
    }
}

TEST_F(RecoverHevc, DamageWhereABlockShouldBeIsSkippedToTheNextFrame) {
    const std::string clip = Path("RANDOM.MP4");
    const std::string options = std::string(kClipOptions) + kGop + " --codec h265";
    ASSERT_EQ(MakeClip(Path("HEALTHY.MP4"), options).status, 0);
    ASSERT_EQ(MakeClip(clip, options + " --filler random --power-cut " + Quoted(Path("random.csv")))
                  .status,
              0);
    const std::vector<LayoutRow> layout = ReadLayout(Path("random.csv"));
    const auto block = std::find_if(layout.begin(), layout.end(), [](const LayoutRow& row) {
        return !row.frame && row.index == 2;
    });
    ASSERT_NE(block, layout.end());
    {
        // The block's header gone: the walk must find the frames behind its random padding.
        std::fstream file(clip, std::ios::in | std::ios::out | std::ios::binary);
        file.seekp(static_cast<std::streamoff>(block->offset));
        file.write("\x5a\x17\xc3\x99\xe0\x44\x01\x7f\x00\x00\x00\x09", 12);
    }
    for (const bool withTemplate : {true, false}) {
        const std::string out = Path("OUT.MP4");
        const ToolRun run =
            Recover((withTemplate ? "--template " + Quoted(Path("HEALTHY.MP4")) + " " : "") +
                    Quoted(clip) + " -o " + Quoted(out));
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_NE(run.out.find("(sound or damage) skipped"), std::string::npos) << run.out;
        std::string errors;
        const std::vector<int> codes = FrameCodes(out, errors);
        EXPECT_EQ(errors, "");
        ASSERT_EQ(codes.size(), 40u);
        EXPECT_EQ(codes[20], 20);
        EXPECT_EQ(codes.back(), 39);
        std::filesystem::remove(out);
    }
}

TEST_F(RecoverHevc, ATemplateOfTheOtherCodecIsRefusedEitherWay) {
    const std::string options = std::string(kClipOptions) + kGop;
    for (const auto& [clipCodec, templateCodec] :
         {std::pair<std::string, std::string>{"h265", "h264"}, {"h264", "h265"}}) {
        const std::string clip = Path("CUT.MP4");
        const std::string healthy = Path("OTHER.MP4");
        ASSERT_EQ(MakeClip(clip, options + " --codec " + clipCodec + " --power-cut " +
                                     Quoted(Path("layout.csv")))
                      .status,
                  0);
        ASSERT_EQ(MakeClip(healthy, options + " --codec " + templateCodec).status, 0);
        const std::string before = FileBytes(clip);
        const ToolRun run = Recover("--template " + Quoted(healthy) + " " + Quoted(clip) + " -o " +
                                    Quoted(Path("OUT.MP4")));
        EXPECT_EQ(run.status, 1);
        const std::string said = clipCodec == "h265"
                                     ? "the template's video is H.264, the clip's H.265"
                                     : "the template's video is H.265, the clip's H.264";
        EXPECT_NE(run.err.find(said), std::string::npos) << run.err;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
        EXPECT_FALSE(std::filesystem::exists(Path("OUT.MP4")));
        EXPECT_EQ(FileBytes(clip), before);
        std::filesystem::remove(clip);
        std::filesystem::remove(healthy);
    }
}

} // namespace
