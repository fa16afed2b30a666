// The playlist and the drives its clips make: the drives load in the background, each of two
// or more clips gets a header, a drive plays through its clips and stops at its end, and a
// second of a drive opens the clip it falls in.
#include "PlaylistFakes.h"
#include "library/CClipListModel.h"
#include "library/CPlaylistDlg.h"
#include "library/CPlaylistDrives.h"
#include "library/DriveHeader.h"
#include "track/LoadedDrive.h"

#include "tests/support/ClipMaker.h"
#include "tests/support/Pump.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include <unistd.h>

namespace {

// What the playlist announces of the drive it plays.
struct DriveAnnouncements {
    void Listen(CPlaylistDlg* pane) {
        QObject::connect(
            pane, &CPlaylistDlg::driveEntered, [this](std::shared_ptr<const LoadedDrive> drive) {
                shown.push_back(drive == nullptr ? 0 : static_cast<int>(drive->drive.clips.size()));
            });
        QObject::connect(pane, &CPlaylistDlg::driveSecondShown,
                         [this](double driveSecond) { second = driveSecond; });
    }

    std::vector<int> shown; // the clip count of each drive shown, 0 for none
    double second = -1;
};

// A card of six 10 s clips: one alone at 09:00 UTC, a drive of three back to back from
// 12:00:00 and a drive of two from 13:00:00 (an hour apart: two drives).
class DrivePlaylist : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // Made once for the suite, outside any one test, so named by the process alone.
        card = std::filesystem::temp_directory_path() /
               ("ostvik-driveplaylist-" + std::to_string(getpid()));
        std::filesystem::create_directories(card);
        const std::string small = " --seconds 10 --size 64x48 --fps 5 --steady 36 --origin 59,18";
        for (const char* time :
             {"09:00:00", "12:00:00", "12:00:10", "12:00:20", "13:00:00", "13:00:10"}) {
            std::string name = std::string("2024_0601_") + time + "_F.MP4";
            std::erase(name, ':');
            const std::string path = (card / name).string();
            ASSERT_EQ(MakeClip(path, std::string("--start 2024-06-01T") + time + small).status, 0);
            clips.append(QString::fromStdString(path));
        }
    }
    static void TearDownTestSuite() { std::filesystem::remove_all(card); }

    void SetUp() override {
        CPlaylistDlg::Links links;
        links.video = &video;
        links.track = &map;
        links.mounts = [] { return std::string(); };
        links.mountThroughUdisks = false;
        pane = std::make_unique<CPlaylistDlg>(nullptr, links);
        follower.Listen(pane.get());
        for (const QString& clip : clips) {
            pane->List()->append(clip);
        }
        ASSERT_TRUE(testsupport::PumpUntil([this] { return !pane->Drives()->Drives().empty(); }));
        calls.clear();
    }
    // Whatever the clip's length, the video pane's one-second gate has passed by its end.
    void PlayedOut() {
        video.now += 10000;
        pane->PlayAfterEnd();
    }
    QStringList Opens() const { return calls.filter(QStringLiteral("open ")); }

    static inline std::filesystem::path card;
    static inline QStringList clips;
    QStringList calls;
    FakeVideoPane video{&calls};
    FakeClipTrack map{&calls};
    DriveAnnouncements follower;
    std::unique_ptr<CPlaylistDlg> pane;
};

TEST_F(DrivePlaylist, EachDriveOfTwoOrMoreClipsIsHeadedAboveItsFirstClip) {
    std::vector<int> headed;
    for (int row = 0; row < pane->List()->count(); ++row) {
        const QModelIndex index = pane->List()->index(row);
        if (!index.data(CClipListModel::DriveHeaderRole).toString().isEmpty()) {
            headed.push_back(row);
        }
    }
    EXPECT_EQ(headed, (std::vector<int>{1, 4}));
    EXPECT_EQ(pane->List()->count(), 6); // the headers are no rows of their own
}

TEST_F(DrivePlaylist, AClipOfADrivePlaysThroughToTheDrivesEndAndStopsThere) {
    pane->PlayItem(0); // alone: its end moves on as Next does
    PlayedOut();
    PlayedOut();
    PlayedOut();
    PlayedOut(); // the drive's last clip: nothing more
    EXPECT_EQ(Opens(), QStringList({"open " + clips[0], "open " + clips[1], "open " + clips[2],
                                    "open " + clips[3]}));
    EXPECT_EQ(video.playing, clips[3]);
    EXPECT_EQ(follower.shown, (std::vector<int>{3})); // shown once, as it was entered
    pane->FollowClipSecond(4);
    EXPECT_DOUBLE_EQ(follower.second, 24); // the third clip starts 20 s into the drive
}

TEST_F(DrivePlaylist, ASecondOfTheDriveOpensItsClipThere) {
    pane->PlayItem(4);
    video.now += 1000;
    pane->SeekInDrive(13.5); // the second clip of 13:00 starts 10 s into its drive
    EXPECT_EQ(Opens().last(), "open " + clips[5]);
    EXPECT_EQ(calls.last(), QStringLiteral("seek 3.5"));
    EXPECT_DOUBLE_EQ(follower.second, 13.5);
    pane->SeekInDrive(12); // within the clip playing: no new open
    EXPECT_EQ(calls.last(), QStringLiteral("seek 2"));
    EXPECT_EQ(Opens().size(), 2);
}

// The load is asked for directly: one started by a list change may end before a poll sees
// it running, and the drives would then go with nothing in flight.
TEST_F(DrivePlaylist, TheListMayGoWhileItsDrivesLoad) {
    auto drives = std::make_unique<CPlaylistDrives>();
    std::vector<std::string> paths;
    for (const QString& clip : clips) {
        paths.push_back(clip.toStdString());
    }
    drives->Load(paths);
    ASSERT_TRUE(drives->Loading());
    drives.reset();
    testsupport::PumpFor(std::chrono::milliseconds(300));
}

// The header's figures: 12:00 UTC is 14:00 in Stockholm in June (summer time, UTC+2); a
// camera's clock is shown as written; 610 s is 11 minutes begun.
TEST(DriveHeader, SaysWhenHowLongHowFarAndOfHowManyClips) {
    qputenv("TZ", "Europe/Stockholm");
    Drive drive;
    drive.clips.resize(3);
    drive.start = 1717243200; // 2024-06-01 12:00:00 UTC
    drive.end = drive.start + 610;
    drive.seconds = 610;
    drive.km = 12.34;
    const struct {
        DriveClock clock;
        const char* text;
    } cases[] = {
        {DriveClock::Utc, "2024-06-01  14:00–14:10  11 min  12.3 km  3 clips"},
        {DriveClock::Camera, "2024-06-01  12:00–12:10  11 min  12.3 km  3 clips"},
        {DriveClock::None, "11 min  12.3 km  3 clips"},
    };
    for (const auto& c : cases) {
        drive.clock = c.clock;
        EXPECT_EQ(DriveHeaderText(drive), QString::fromUtf8(c.text));
    }
    qunsetenv("TZ");
}

} // namespace
