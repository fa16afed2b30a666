// Cameras of one moment composed by the engine: clips whose every frame carries its own
// number (the clip maker's frame code) show, in each camera's cell of the composed
// picture, the same frame number at 1x, at 8x, after seeks and frame steps and with any
// camera big; a camera that ends sooner, starts later or cannot be opened never holds up
// the others.
#include "PlaybackTestSupport.h"
#include "tests/support/ClipMaker.h"
#include "tests/support/Pump.h"

#include "playback/MivexEngine.h"
#include "playback/mivex.h"

#include <QImage>

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>

using namespace std::chrono_literals;
using playtest::PlayThread;
using testsupport::PumpFor;
using testsupport::PumpUntil;

namespace {

constexpr int kBits = 12; // the clip maker's frame code

struct Camera {
    const char* file;
    const char* options;
    int width;
    int height;
};

// 10 frames a second; the rear is shorter and the interior of another shape.
const Camera kFront{"2024_0601_140000_F.MP4", "--seconds 6 --size 320x240", 320, 240};
const Camera kRear{"2024_0601_140000_R.MP4", "--seconds 4 --size 320x240 --colour navy", 320, 240};
const Camera kInterior{"2024_0601_140000_I.MP4", "--seconds 6 --size 320x180 --colour olive", 320,
                       180};

const std::filesystem::path& Folder() {
    static const std::filesystem::path folder = [] {
        const std::filesystem::path made = TestFolder("channels");
        for (const Camera& camera : {kFront, kRear, kInterior}) {
            const ToolRun run = MakeClip((made / camera.file).string(),
                                         std::string(camera.options) + " --frame-code");
            EXPECT_EQ(run.status, 0) << run.err;
        }
        std::ofstream((made / "2024_0601_140000_B.MP4").string()) << std::string(5000, 'x');
        return made;
    }();
    return folder;
}

std::string PathOf(const Camera& camera) {
    return (Folder() / camera.file).string();
}

bool Light(QRgb pixel) {
    return qGray(pixel) > 128;
}

// The frame number the camera's picture shows in its cell, reading the centre of each
// square of its frame code; -1 where the picture's place shows the placeholder's flat dark
// grey (the words of the placeholder lie in the middle, away from the corner looked at).
int FrameIn(const QImage& shot, const PictureRect& cell, const Camera& camera) {
    const double scale = std::min(static_cast<double>(cell.width) / camera.width,
                                  static_cast<double>(cell.height) / camera.height);
    const double left = cell.x + (cell.width - camera.width * scale) / 2;
    const double top = cell.y + (cell.height - camera.height * scale) / 2;
    const double box = std::max(8, camera.width / 24) * scale; // as the clip maker draws it
    const QRgb corner =
        shot.pixel(static_cast<int>(left) + 2, static_cast<int>(top + camera.height * scale) - 3);
    if (std::abs(qRed(corner) - 0x1c) < 8 && std::abs(qGreen(corner) - 0x1c) < 8 &&
        std::abs(qBlue(corner) - 0x1c) < 8) {
        return -1;
    }
    int frame = 0;
    for (int bit = 0; bit < kBits; ++bit) {
        const QRgb pixel =
            shot.pixel(static_cast<int>(left + (bit + 0.5) * box), static_cast<int>(top + box / 2));
        frame |= Light(pixel) ? 1 << bit : 0;
    }
    return frame;
}

// The frame each channel shows now, in channel order.
std::vector<int> FramesShown(const std::vector<Camera>& cameras) {
    const QImage shot = mivex_grab_image();
    const ChannelCanvas canvas = mivex_channel_canvas();
    EXPECT_EQ(shot.size(), QSize(canvas.width, canvas.height));
    std::vector<int> frames;
    for (size_t i = 0; i < cameras.size() && i < canvas.cells.size() && !shot.isNull(); ++i) {
        frames.push_back(FrameIn(shot, canvas.cells[i], cameras[i]));
    }
    return frames;
}

class Channels : public ::testing::Test {
protected:
    void SetUp() override {
        m_callbacks = {[] {}, [] {}, nullptr, nullptr, nullptr, nullptr};
        mivex_configure(MivexOptions{.headless = true});
        ASSERT_EQ(mivex_open(&m_callbacks), 1);
        mivex_set_channel_view({});
    }
    void TearDown() override { mivex_close(); }

    static void SeekTo(double fraction) {
        ASSERT_EQ(mivex_seek_to(fraction), 1);
        ASSERT_TRUE(PumpUntil([] { return !MivexEngine::Instance().Seeking(); }, 5s));
    }

    mivex_callbacks m_callbacks{};
};

TEST_F(Channels, EveryCameraShowsTheSameFrameWhateverTheSpeedSeekOrLayout) {
    ASSERT_EQ(mivex_open_file(PathOf(kFront).c_str(), 0, 0), 1);
    const std::string rear = PathOf(kRear);
    const std::string interior = PathOf(kInterior);
    const MivexChannel others[] = {{rear.c_str(), 0, "Rear"}, {interior.c_str(), 0, "Interior"}};
    ASSERT_EQ(mivex_add_channels(others, 2), 2);
    const std::vector<Camera> cameras{kFront, kRear, kInterior};
    PlayThread thread;
    ASSERT_TRUE(PumpUntil([&] { return thread.Started(); }));
    ASSERT_EQ(mivex_pause(), 1);

    SeekTo(0.5); // 3.0 s of 6: frame 30
    EXPECT_EQ(FramesShown(cameras), (std::vector<int>{30, 30, 30}));
    ASSERT_EQ(mivex_frame_step(1), 1);
    ASSERT_TRUE(PumpUntil([] { return mivex_curr_play_time() > 3.05; }, 3s));
    PumpFor(200ms);
    EXPECT_EQ(FramesShown(cameras), (std::vector<int>{31, 31, 31})) << "a frame step";

    // At 8x from 0.6 s, a fifth of a second reaches about 2.2 s, before the rear ends.
    SeekTo(0.1);
    ASSERT_EQ(mivex_set_play_speed(8), 1);
    ASSERT_EQ(mivex_resume(), 1);
    PumpFor(200ms);
    ASSERT_EQ(mivex_pause(), 1);
    PumpFor(200ms);
    std::vector<int> fast = FramesShown(cameras);
    ASSERT_EQ(fast.size(), 3u);
    EXPECT_GT(fast[0], 6) << "it played on";
    EXPECT_EQ(fast, std::vector<int>(3, fast[0])) << "at 8x";
    ASSERT_EQ(mivex_set_play_speed(1), 1);

    SeekTo(0.9); // 5.4 s: the 4 s rear has ended and shows its placeholder
    EXPECT_EQ(FramesShown(cameras), (std::vector<int>{54, -1, 54}));

    ChannelView view;
    view.big = 2;
    ASSERT_EQ(mivex_set_channel_view(view), 1);
    SeekTo(0.25); // 1.5 s
    EXPECT_EQ(FramesShown(cameras), (std::vector<int>{15, 15, 15})) << "the interior big";
    view.arrangement = ChannelArrangement::SideBySide;
    ASSERT_EQ(mivex_set_channel_view(view), 1);
    SeekTo(0.5);
    EXPECT_EQ(FramesShown(cameras), (std::vector<int>{30, 30, 30})) << "side by side";
    mivex_stop();
    EXPECT_TRUE(thread.Finish());
}

TEST_F(Channels, ALaterOrBrokenCameraNeverHoldsUpTheMainPicture) {
    ASSERT_EQ(mivex_open_file(PathOf(kFront).c_str(), 0, 0), 1);
    const std::string rear = PathOf(kRear);
    const std::string broken = (Folder() / "2024_0601_140000_B.MP4").string();
    const MivexChannel others[] = {{rear.c_str(), 1.0, "Rear"}, {broken.c_str(), 0, "Interior"}};
    EXPECT_EQ(mivex_add_channels(others, 2), 1) << "the broken one is not opened";
    const std::vector<Camera> cameras{kFront, kRear, kInterior};
    PlayThread thread;
    ASSERT_TRUE(PumpUntil([&] { return thread.Started(); }));
    ASSERT_EQ(mivex_pause(), 1);

    // The rear began a second after the front: the front's 3.0 s is the rear's 2.0 s, and
    // before the rear's first frame its cell is the placeholder.
    SeekTo(0.5);
    EXPECT_EQ(FramesShown(cameras), (std::vector<int>{30, 20, -1}));
    SeekTo(0.1);
    EXPECT_EQ(FramesShown(cameras), (std::vector<int>{6, -1, -1}));

    ASSERT_EQ(mivex_resume(), 1);
    EXPECT_TRUE(thread.Finish());
    EXPECT_EQ(mivex_reached_end(), 1) << "the front played to its own end";
}

} // namespace
