// A drive's clips played by the engine as one timeline: each clip keeps its own time and
// length, a seek lands in any clip in one step, and playback goes from one clip into the
// next with nothing reopened.
#include "PlaybackTestSupport.h"
#include "tests/support/ClipMaker.h"
#include "tests/support/Pump.h"

#include "playback/MivexEngine.h"
#include "playback/mivex.h"

#include <QColor>
#include <QImage>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

using namespace std::chrono_literals;
using playtest::PlayThread;
using testsupport::PumpUntil;

namespace {

void DoNothing() {}

class DrivePlayback : public ::testing::Test {
protected:
    void SetUp() override {
        m_callbacks = {DoNothing, DoNothing, nullptr, nullptr, nullptr, nullptr};
        mivex_configure(MivexOptions{.headless = true});
        ASSERT_EQ(mivex_open(&m_callbacks), 1);
        m_folder = TestFolder("drive-playback");
        // Two seconds each, in colours told apart at a glance; the first name holds the
        // characters that separate the parts of the engine's address.
        const std::vector<std::pair<std::string, std::string>> clips{
            {"red,1;%.MP4", "red"}, {"green.MP4", "0x00ff00"}, {"blue.MP4", "blue"}};
        for (const auto& [name, colour] : clips) {
            const std::string path = (m_folder / name).string();
            ASSERT_EQ(
                MakeClip(path, "--seconds 2 --fps 10 --no-embedded --colour " + colour).status, 0);
            m_paths.push_back(path);
        }
    }
    void TearDown() override {
        mivex_close();
        std::filesystem::remove_all(m_folder);
    }

    int OpenDrive(int first) {
        std::vector<const char*> paths;
        for (const std::string& path : m_paths) {
            paths.push_back(path.c_str());
        }
        mivex_close_file();
        return mivex_open_drive(paths.data(), static_cast<int>(paths.size()), first);
    }

    static QColor Shown() {
        const QImage frame = mivex_grab_image();
        return frame.isNull() ? QColor() : frame.pixelColor(frame.width() / 2, frame.height() / 2);
    }
    static double AfterSeek() {
        EXPECT_TRUE(PumpUntil([] { return !MivexEngine::Instance().Seeking(); }, 5s));
        return mivex_curr_play_time();
    }

    mivex_callbacks m_callbacks{};
    std::filesystem::path m_folder;
    std::vector<std::string> m_paths;
};

bool IsGreen(QColor c) {
    return c.green() > 160 && c.red() < 90 && c.blue() < 90;
}
bool IsBlue(QColor c) {
    return c.blue() > 160 && c.red() < 90 && c.green() < 90;
}

TEST_F(DrivePlayback, EachClipKeepsItsOwnTimeAndASeekLandsInAnyClipInOneStep) {
    ASSERT_EQ(OpenDrive(1), 1);
    EXPECT_EQ(mivex_drive_clip_count(), 3);
    EXPECT_EQ(mivex_drive_clip(), 1);
    EXPECT_TRUE(IsGreen(Shown())) << "the drive opens at the clip asked for";
    EXPECT_NEAR(mivex_duration(), 2.0, 0.1);
    for (int clip = 0; clip < 3; ++clip) {
        EXPECT_NEAR(mivex_drive_clip_length(clip), 2.0, 0.1) << clip;
    }

    // Reviewed paused, as a seek is most often made.
    PlayThread thread;
    ASSERT_TRUE(PumpUntil([&] { return thread.Started(); }));
    ASSERT_EQ(mivex_pause(), 1);
    ASSERT_EQ(mivex_seek_in_drive(2, 0.5), 1);
    EXPECT_NEAR(AfterSeek(), 0.5, 0.11);
    EXPECT_EQ(mivex_drive_clip(), 2);
    EXPECT_TRUE(IsBlue(Shown()));

    // A fraction is of the clip playing: a quarter of the blue clip's 2 s.
    ASSERT_EQ(mivex_seek_to(0.25), 1);
    EXPECT_NEAR(AfterSeek(), 0.5, 0.11);
    EXPECT_EQ(mivex_drive_clip(), 2);
    ASSERT_EQ(mivex_seek_in_drive(0, 1.0), 1);
    EXPECT_NEAR(AfterSeek(), 1.0, 0.11);
    EXPECT_EQ(mivex_drive_clip(), 0);
    EXPECT_EQ(mivex_get_play_status(), kMivexPaused) << "a seek across clips keeps the pause";
    EXPECT_EQ(mivex_seek_in_drive(3, 0.0), 0);
    EXPECT_EQ(mivex_seek_in_drive(-1, 0.0), 0);
    mivex_close_file();
    ASSERT_TRUE(thread.Finish());
}

TEST_F(DrivePlayback, PlaybackGoesIntoTheNextClipWithNothingReopenedAndEndsWithTheDrive) {
    ASSERT_EQ(OpenDrive(0), 1);
    ASSERT_EQ(mivex_seek_in_drive(0, 1.5), 1);
    AfterSeek();
    PlayThread thread;
    ASSERT_TRUE(PumpUntil([] { return mivex_drive_clip() == 1; }, 5s));
    EXPECT_FALSE(thread.Ended()) << "the first clip's end is no end of the drive";
    EXPECT_EQ(mivex_get_play_status(), kMivexPlaying);
    EXPECT_LT(mivex_curr_play_time(), 1.0);
    EXPECT_NEAR(mivex_duration(), 2.0, 0.1);
    ASSERT_TRUE(thread.Finish());
    EXPECT_EQ(thread.Events(), (std::vector<std::string>{"started", "ended"}));
    EXPECT_EQ(mivex_reached_end(), 1);
    // Played out, the drive is still at its last clip, not back at its first.
    EXPECT_EQ(mivex_drive_clip(), 2);
}

TEST_F(DrivePlayback, WhatCannotBeADriveOpensNothing) {
    const char* one[] = {m_paths[0].c_str()};
    EXPECT_EQ(mivex_open_drive(one, 1, 0), 0) << "one clip is no drive";
    EXPECT_EQ(OpenDrive(3), 0);
    const std::string missing = (m_folder / "gone.MP4").string();
    const char* withMissing[] = {m_paths[0].c_str(), missing.c_str()};
    EXPECT_EQ(mivex_open_drive(withMissing, 2, 0), 0);
    EXPECT_EQ(mivex_get_play_status(), kMivexStopped);
    EXPECT_EQ(mivex_drive_clip_count(), 0);
    // A lone clip opened after a drive is one again.
    ASSERT_EQ(OpenDrive(0), 1);
    mivex_close_file();
    ASSERT_EQ(mivex_open_file(m_paths[2].c_str(), 0, 0), 1);
    EXPECT_EQ(mivex_drive_clip_count(), 0);
    EXPECT_NEAR(mivex_duration(), 2.0, 0.1);
}

} // namespace
