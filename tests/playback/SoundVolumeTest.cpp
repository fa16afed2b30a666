// The volume objects over the player's own volume: units, sharing between objects, changes
// made by the player itself, and settings made before the engine is open.
#include "PlaybackTestSupport.h"
#include "tests/support/Pump.h"

#include "playback/CSoundOutputVolumeImpl.h"
#include "playback/MivexEngine.h"
#include "playback/MpvNames.h"

#include <gtest/gtest.h>

using namespace std::chrono_literals;
using playtest::RecordingSink;
using testsupport::PumpFor;
using testsupport::PumpUntil;

namespace {

double MpvVolume() {
    double percent = -1;
    mpv_get_property(MivexEngine::Instance().Core(), mpvname::kVolume, MPV_FORMAT_DOUBLE, &percent);
    return percent;
}

bool MpvMute() {
    int flag = -1;
    mpv_get_property(MivexEngine::Instance().Core(), mpvname::kMute, MPV_FORMAT_FLAG, &flag);
    return flag == 1;
}

class SoundVolume : public ::testing::Test {
protected:
    void SetUp() override {
        m_first.Initialize(&m_firstSink);
        m_second.Initialize(&m_secondSink);
        // Start every test from full volume, sound on, with nothing recorded.
        m_first.SetCurrentVolume(65535);
        m_first.Mute(false);
        m_firstSink = {};
        m_secondSink = {};
    }
    void TearDown() override { mivex_close(); }

    void OpenEngine() {
        mivex_configure(MivexOptions{.headless = true});
        ASSERT_EQ(mivex_open(&m_callbacks), 1);
    }

    mivex_callbacks m_callbacks{};
    RecordingSink m_firstSink;
    RecordingSink m_secondSink;
    CSoundOutputVolumeImpl m_first;
    CSoundOutputVolumeImpl m_second;
};

TEST_F(SoundVolume, RangeIsZeroTo65535AndFortyPercentIs26214) {
    EXPECT_EQ(m_first.GetMinVolume(), 0u);
    EXPECT_EQ(m_first.GetMaxVolume(), 65535u);
    EXPECT_NEAR(CSoundOutputVolumeImpl::PercentFromLevel(26214), 40.0, 0.001);
    EXPECT_EQ(CSoundOutputVolumeImpl::LevelFromPercent(100), 65535u);
    EXPECT_EQ(CSoundOutputVolumeImpl::PercentFromLevel(70000), 100.0) << "capped at the top";
    for (unsigned long level = 0; level <= 65535; level += 257) {
        ASSERT_EQ(CSoundOutputVolumeImpl::LevelFromPercent(
                      CSoundOutputVolumeImpl::PercentFromLevel(level)),
                  level);
    }
}

TEST_F(SoundVolume, AChangeReachesTheOtherObjectButNotItsMaker) {
    OpenEngine();
    m_first.SetCurrentVolume(26214);
    EXPECT_EQ(m_second.GetCurrentVolume(), 26214u);
    EXPECT_EQ(m_secondSink.volumes, std::vector<unsigned long>{26214});
    EXPECT_TRUE(m_firstSink.volumes.empty());
    EXPECT_NEAR(MpvVolume(), 40.0, 0.001) << "the player's own volume";

    m_second.Mute(true);
    EXPECT_TRUE(m_first.IsMute());
    EXPECT_EQ(m_firstSink.mutes, std::vector<bool>{true});
    EXPECT_TRUE(m_secondSink.mutes.empty());
    EXPECT_TRUE(MpvMute());

    // Nothing echoes back once mpv reports the changes.
    PumpFor(200ms);
    EXPECT_EQ(m_firstSink.volumes.size() + m_secondSink.volumes.size(), 1u);
    EXPECT_EQ(m_firstSink.mutes.size() + m_secondSink.mutes.size(), 1u);
}

TEST_F(SoundVolume, SettingTheSameValueAgainTellsNobody) {
    m_first.SetCurrentVolume(26214);
    m_secondSink = {};
    m_first.SetCurrentVolume(26214);
    m_first.Mute(false);
    EXPECT_TRUE(m_secondSink.volumes.empty());
    EXPECT_TRUE(m_secondSink.mutes.empty());
}

TEST_F(SoundVolume, ChangesMadeByThePlayerReachEveryObject) {
    OpenEngine();
    double percent = 55;
    mpv_set_property(MivexEngine::Instance().Core(), mpvname::kVolume, MPV_FORMAT_DOUBLE, &percent);
    const unsigned long level = CSoundOutputVolumeImpl::LevelFromPercent(55);
    ASSERT_TRUE(PumpUntil([&] { return !m_secondSink.volumes.empty(); }));
    EXPECT_EQ(m_firstSink.volumes, std::vector<unsigned long>{level});
    EXPECT_EQ(m_secondSink.volumes, std::vector<unsigned long>{level});
    EXPECT_EQ(m_first.GetCurrentVolume(), level);

    int on = 1;
    mpv_set_property(MivexEngine::Instance().Core(), mpvname::kMute, MPV_FORMAT_FLAG, &on);
    ASSERT_TRUE(PumpUntil([&] { return !m_firstSink.mutes.empty(); }));
    EXPECT_EQ(m_secondSink.mutes, std::vector<bool>{true});
    EXPECT_TRUE(m_second.IsMute());
}

TEST_F(SoundVolume, ASettingMadeBeforeTheEngineOpensIsAppliedWhenItOpens) {
    m_first.SetCurrentVolume(26214);
    m_first.Mute(true);
    EXPECT_EQ(m_secondSink.volumes, std::vector<unsigned long>{26214});
    OpenEngine();
    EXPECT_NEAR(MpvVolume(), 40.0, 0.001);
    EXPECT_TRUE(MpvMute());
    EXPECT_EQ(m_second.GetCurrentVolume(), 26214u);
}

TEST_F(SoundVolume, AFinalizedObjectHearsNothingMore) {
    m_second.Finalize();
    m_first.SetCurrentVolume(1000);
    m_first.Mute(true);
    EXPECT_TRUE(m_secondSink.volumes.empty());
    EXPECT_TRUE(m_secondSink.mutes.empty());
}

TEST_F(SoundVolume, AnObjectDestroyedWithoutFinalizeIsForgotten) {
    RecordingSink sink;
    {
        CSoundOutputVolumeImpl shortLived;
        shortLived.Initialize(&sink);
    }
    m_first.SetCurrentVolume(1234); // would reach the destroyed object if it were kept
    EXPECT_TRUE(sink.volumes.empty());
    EXPECT_EQ(m_secondSink.volumes, std::vector<unsigned long>{1234});
}

} // namespace
