// A clip a power cut left without its index, chosen in the window: the picture offers to
// recover it, and one click plays the recovered copy in its place, with its track.
#include "app/CClipRecoveryNote.h"
#include "app/COstvikDlg.h"
#include "library/CClipListModel.h"
#include "library/CPlaylistDlg.h"
#include "playback/CVideoViewDlg.h"
#include "playback/mivex.h"
#include "tests/support/ClipMaker.h"
#include "tests/support/Pump.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

using testsupport::PumpFor;
using testsupport::PumpUntil;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

std::string Bytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

class RecoveryWindow : public ::testing::Test {
protected:
    void SetUp() override {
        m_folder = TestFolder("window-recover");
        // Four seconds at 10 frames a second, a fix each second, and no index at the end.
        ASSERT_EQ(MakeClip(Cut(), "--seconds 4 --size 160x120 --fps 10 --no-b-frames "
                                  "--power-cut " +
                                      Quoted((m_folder / "layout.csv").string()))
                      .status,
                  0);
        MivexOptions engine;
        engine.headless = true;
        window = std::make_unique<COstvikDlg>(engine);
        window->show();
        QObject::connect(window->VideoView(), &CVideoViewDlg::clipStarted, [this] { ++started; });
        note = window->findChild<CClipRecoveryNote*>();
        ASSERT_NE(note, nullptr);
    }
    void TearDown() override {
        window.reset();
        fs::remove_all(m_folder);
    }

    std::string Cut() const { return (m_folder / "CUT.MP4").string(); }

    fs::path m_folder;
    std::unique_ptr<COstvikDlg> window;
    CClipRecoveryNote* note = nullptr;
    int started = 0;
};

TEST_F(RecoveryWindow, OneClickPlaysTheRecoveredCopyInTheClipsPlaceWithItsTrack) {
    const std::string before = Bytes(Cut());
    window->AddClips({QString::fromStdString(Cut())});
    ASSERT_TRUE(PumpUntil([&] { return note->isVisible(); }));
    EXPECT_EQ(note->RecoverButton()->text(), "Recording cut short — Recover");
    EXPECT_TRUE(note->RecoverButton()->isVisible());
    EXPECT_FALSE(note->Progress()->isVisible());
    // Nothing happens without the click.
    PumpFor(1100ms);
    EXPECT_EQ(started, 0);
    EXPECT_FALSE(fs::exists(m_folder / "CUT.recovered.MP4"));

    note->RecoverButton()->click();
    ASSERT_TRUE(PumpUntil([&] { return started == 1; }, 30s));
    const QString copy = QString::fromStdString((m_folder / "CUT.recovered.MP4").string());
    EXPECT_EQ(window->Playlist()->GetCurrentFile(), copy);
    EXPECT_EQ(window->Playlist()->List()->count(), 1) << "the copy takes the clip's entry";
    EXPECT_FALSE(note->isVisible());
    EXPECT_EQ(Bytes(Cut()), before) << "the cut clip is only read";
    const CMapTrackStore& map = window->Session().Track().Map();
    int fixes = 0;
    for (int second = 0; second < static_cast<int>(map.size()); ++second) {
        fixes += map.HasPosition(second) ? 1 : 0;
    }
    EXPECT_EQ(fixes, 4);
    EXPECT_NEAR(mivex_duration(), 4.0, 0.2);
}

// Cancelled, the recovery leaves no file and offers itself again.
TEST_F(RecoveryWindow, CancelLeavesNothingAndTheOfferStands) {
    window->AddClips({QString::fromStdString(Cut())});
    ASSERT_TRUE(PumpUntil([&] { return note->isVisible(); }));
    note->RecoverButton()->click();
    ASSERT_TRUE(note->Running());
    EXPECT_TRUE(note->CancelButton()->isVisible());
    note->CancelButton()->click();
    ASSERT_TRUE(PumpUntil([&] { return !note->Running(); }, 30s));
    // The walk reads the clip for milliseconds; the click lands within microseconds.
    EXPECT_EQ(started, 0);
    EXPECT_FALSE(fs::exists(m_folder / "CUT.recovered.MP4"));
    EXPECT_TRUE(note->RecoverButton()->isVisible());
    EXPECT_FALSE(fs::exists(m_folder / "CUT.recovered.MP4.part"));
}

} // namespace
