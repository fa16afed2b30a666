// The playlist pane's rules, driven on the pane itself with a stand-in video pane and map.
#include "PlaylistFakes.h"
#include "library/CClipListModel.h"
#include "library/CDlgSetup.h"
#include "library/CPlaylistDlg.h"
#include "skin/SkinSE.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QListView>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

class Playlist : public ::testing::Test {
protected:
    void SetUp() override {
        CPlaylistDlg::Links links;
        links.video = &video;
        links.track = &map;
        links.mounts = [] { return std::string(); };
        links.mountThroughUdisks = false;
        pane = std::make_unique<CPlaylistDlg>(nullptr, links);
    }

    // Lists the paths (not played) and forgets the calls made so far.
    void List(const QStringList& paths) {
        for (const QString& path : paths) {
            pane->List()->append(path);
        }
        calls.clear();
    }
    // Plays `index` a second after the last open, so the video pane accepts.
    void PlayLater(int index) {
        video.now += 1000;
        pane->PlayItem(index);
    }
    int Selection() const { return pane->List()->selection(); }

    QStringList calls;
    FakeVideoPane video{&calls};
    FakeClipTrack map{&calls};
    std::unique_ptr<CPlaylistDlg> pane;
};

TEST_F(Playlist, PlayItemLoadsTheTrackThenOpensThenReadsTheSidecarThenSelects) {
    List({"/v/A.MP4", "/v/B.MOV"});
    pane->PlayItem(1);
    EXPECT_EQ(calls, QStringList({"track /v/B.MOV", "open /v/B.MOV", "nmea /v/B.TXT"}));
    EXPECT_EQ(pane->GetCurrentFile(), "/v/B.MOV");
    EXPECT_EQ(pane->SidecarPath(), "/v/B.TXT");
    EXPECT_EQ(Selection(), 1);
}

TEST_F(Playlist, ClipWithAnEmbeddedFixReadsNoSidecar) {
    map.withFix.insert("/v/A.MP4");
    List({"/v/A.MP4"});
    pane->PlayItem(0);
    EXPECT_EQ(calls, QStringList({"track /v/A.MP4", "open /v/A.MP4"}));
}

TEST_F(Playlist, SidecarIsFoundWhateverItsLetterCase) {
    QTemporaryDir dir;
    const QString clip = dir.filePath("clip0001.mp4");
    QFile(clip).open(QIODevice::WriteOnly);
    QFile(dir.filePath("CLIP0001.TXT")).open(QIODevice::WriteOnly);
    List({clip});
    pane->PlayItem(0);
    EXPECT_EQ(pane->SidecarPath(), dir.filePath("CLIP0001.TXT"));
}

TEST_F(Playlist, OutOfRangeOrNoCurrentClipDoesNothing) {
    pane->PlayItem(-1);
    pane->PlayItem(0);
    pane->PlayNext();
    pane->PlayPrev();
    pane->PlayCurrent();
    List({"/v/A.MP4"});
    pane->PlayNext();
    pane->PlayItem(1);
    EXPECT_TRUE(calls.isEmpty());
    EXPECT_EQ(pane->GetCurrentFile(), "");
}

TEST_F(Playlist, RefusedOpenChangesNeitherClipNorTrackNorSelection) {
    List({"/v/A.MP4", "/v/B.MP4", "/v/C.MP4"});
    PlayLater(0);
    PlayLater(1); // the first Next
    calls.clear();
    video.now += 200; // the second, 200 ms later: refused
    pane->PlayNext();
    EXPECT_TRUE(calls.isEmpty());
    EXPECT_EQ(pane->GetCurrentFile(), "/v/B.MP4");
    EXPECT_EQ(map.track, "/v/B.MP4");
    EXPECT_EQ(video.playing, "/v/B.MP4");
    EXPECT_EQ(Selection(), 1);
    video.now += 800; // a second after the accepted open
    pane->PlayNext();
    EXPECT_EQ(pane->GetCurrentFile(), "/v/C.MP4");
    EXPECT_EQ(map.track, "/v/C.MP4");
}

TEST_F(Playlist, FailedOpenMovesTheCurrentClipButNotTheSelection) {
    video.failing.insert("/v/B.MP4");
    List({"/v/A.MP4", "/v/B.MP4", "/v/C.MP4"});
    PlayLater(0);
    calls.clear();
    PlayLater(1);
    EXPECT_EQ(calls, QStringList({"track /v/B.MP4", "open /v/B.MP4"}));
    EXPECT_EQ(pane->GetCurrentFile(), "/v/B.MP4");
    EXPECT_EQ(Selection(), 0);
    video.now += 1000;
    pane->PlayNext();
    EXPECT_EQ(pane->GetCurrentFile(), "/v/C.MP4");
}

TEST_F(Playlist, NextAndPreviousStopAtTheEndsUnlessRecycleIsTicked) {
    List({"/v/A.MP4", "/v/B.MP4", "/v/C.MP4"});
    EXPECT_TRUE(pane->RecycleBox()->isHidden());
    PlayLater(2);
    video.now += 1000;
    pane->PlayNext();
    EXPECT_EQ(pane->GetCurrentFile(), "/v/C.MP4");
    PlayLater(0);
    video.now += 1000;
    pane->PlayPrev();
    EXPECT_EQ(pane->GetCurrentFile(), "/v/A.MP4");

    pane->RecycleBox()->click();
    ASSERT_TRUE(pane->WrapAround());
    video.now += 1000;
    pane->PlayPrev();
    EXPECT_EQ(pane->GetCurrentFile(), "/v/C.MP4");
    video.now += 1000;
    pane->PlayNext();
    EXPECT_EQ(pane->GetCurrentFile(), "/v/A.MP4");
    pane->RecycleBox()->click();
    EXPECT_FALSE(pane->WrapAround());
}

TEST_F(Playlist, AfterTheCurrentEntryIsDeletedNextOpensTheFirst) {
    List({"/v/A.MP4", "/v/B.MP4", "/v/C.MP4"});
    PlayLater(1);
    pane->Delete(); // B, selected by the play
    EXPECT_EQ(pane->GetCurrentFile(), "/v/B.MP4");
    EXPECT_EQ(video.playing, "/v/B.MP4");
    calls.clear();
    video.now += 1000;
    pane->PlayPrev();
    pane->PlayCurrent();
    EXPECT_TRUE(calls.isEmpty());
    pane->PlayNext();
    EXPECT_EQ(pane->GetCurrentFile(), "/v/A.MP4");
}

TEST_F(Playlist, DeleteSelectsTheNewLastOnlyWhenTheLastWasRemoved) {
    List({"/v/A.MP4", "/v/B.MP4", "/v/C.MP4"});
    pane->Delete(); // nothing selected: nothing happens
    EXPECT_EQ(pane->List()->count(), 3);
    pane->List()->select(2);
    pane->Delete();
    EXPECT_EQ(Selection(), 1);
    pane->List()->select(0);
    pane->Delete();
    EXPECT_EQ(Selection(), -1);
    EXPECT_EQ(pane->List()->text(0), "/v/B.MP4");
    pane->List()->select(0);
    pane->Delete();
    EXPECT_EQ(pane->List()->count(), 0);
    EXPECT_EQ(Selection(), -1);
}

TEST_F(Playlist, DeleteNeverTouchesTheFile) {
    QTemporaryDir dir;
    const QString clip = dir.filePath("A.MP4");
    QFile(clip).open(QIODevice::WriteOnly);
    List({clip});
    pane->List()->select(0);
    pane->Delete();
    EXPECT_TRUE(QFile::exists(clip));
}

TEST_F(Playlist, RemoveMissingFilesDropsVanishedEntriesAndStopsThePlayingOne) {
    QTemporaryDir dir;
    QStringList paths;
    for (const char* name : {"A.MP4", "B.MP4", "C.MP4", "D.MP4"}) {
        paths.append(dir.filePath(name));
        QFile(paths.last()).open(QIODevice::WriteOnly);
    }
    List(paths);
    PlayLater(1);
    pane->List()->select(3);
    QFile::remove(paths[1]);
    QFile::remove(paths[2]);
    calls.clear();
    pane->RemoveMissingFiles();
    EXPECT_EQ(pane->List()->count(), 2);
    EXPECT_EQ(pane->List()->text(1), paths[3]);
    // The selection followed D from index 3 to 1.
    EXPECT_EQ(Selection(), 1);
    EXPECT_EQ(calls, QStringList({"stop"}));
    EXPECT_EQ(pane->GetCurrentFile(), "");
}

// Only a selected last entry that went gives way to the new last; any other selection
// follows its entry or, when its entry went, is cleared.
TEST_F(Playlist, RemoveMissingFilesSelectsTheNewLastOnlyWhenTheSelectedLastWent) {
    QTemporaryDir dir;
    const QString names[] = {"A.MP4", "B.MP4", "C.MP4", "D.MP4", "E.MP4"};
    const struct {
        const char* present; // which of A to E exist
        int selected;
        int expected;
    } rows[] = {
        {"AB", 4, 1},    // the last went: the new last
        {"AB", 2, -1},   // C went, and was not the last
        {"ABE", 1, 1},   // B stays
        {"BE", 4, 1},    // E stays, now second
        {"", 4, -1},     // nothing left
        {"ABCDE", 4, 4}, // nothing went
    };
    for (const auto& row : rows) {
        QStringList paths;
        for (const QString& name : names) {
            paths.append(dir.filePath(name));
            QFile::remove(paths.last());
            if (QString::fromLatin1(row.present).contains(name.at(0))) {
                QFile(paths.last()).open(QIODevice::WriteOnly);
            }
        }
        while (pane->List()->count() > 0) {
            pane->List()->remove(0);
        }
        List(paths);
        pane->List()->select(row.selected);
        pane->RemoveMissingFiles();
        EXPECT_EQ(Selection(), row.expected) << row.present << " " << row.selected;
    }
}

TEST_F(Playlist, ExploreAddsNewPathsInTheDialogsOrderAndPlaysOnlyTheFirst) {
    List({"/v/B.MOV"});
    pane->SetOpenFilesPrompt([] { return QStringList{"/v/C.avi", "/v/B.MOV", "/v/A.mp4"}; });
    video.now += 1000;
    pane->Explore();
    EXPECT_EQ(pane->List()->count(), 3);
    EXPECT_EQ(pane->List()->text(1), "/v/C.avi");
    EXPECT_EQ(pane->List()->text(2), "/v/A.mp4");
    EXPECT_EQ(calls.filter("open "), QStringList({"open /v/C.avi"}));
    EXPECT_EQ(Selection(), 1);
}

TEST_F(Playlist, ExploringAListedFileFirstPlaysItsEntry) {
    List({"/v/A.MP4", "/v/B.MP4"});
    pane->SetOpenFilesPrompt([] { return QStringList{"/v/B.MP4", "/v/D.MP4"}; });
    video.now += 1000;
    pane->Explore();
    EXPECT_EQ(pane->List()->count(), 3);
    EXPECT_EQ(pane->GetCurrentFile(), "/v/B.MP4");
    EXPECT_EQ(Selection(), 1);
}

TEST_F(Playlist, CancelledExploreAddsNothing) {
    pane->SetOpenFilesPrompt([] { return QStringList(); });
    pane->Explore();
    EXPECT_EQ(pane->List()->count(), 0);
    EXPECT_TRUE(calls.isEmpty());
}

TEST_F(Playlist, DroppedFolderAddsItsClipsByNameAndPlaysTheFirstDropped) {
    QTemporaryDir dir;
    QDir(dir.path()).mkdir("trip");
    for (const char* name : {"trip/b.mov", "trip/A.MP4", "trip/notes.txt", "single.AVI"}) {
        QFile(dir.filePath(name)).open(QIODevice::WriteOnly);
    }
    video.now += 1000;
    pane->AddDroppedPaths({dir.filePath("trip"), dir.filePath("single.AVI")});
    ASSERT_EQ(pane->List()->count(), 3);
    EXPECT_EQ(pane->List()->text(0), dir.filePath("trip/A.MP4"));
    EXPECT_EQ(pane->List()->text(1), dir.filePath("trip/b.mov"));
    EXPECT_EQ(pane->List()->text(2), dir.filePath("single.AVI"));
    EXPECT_EQ(pane->GetCurrentFile(), dir.filePath("trip/A.MP4"));
}

// A camera's card opened as a folder: every clip under it, in the order the camera recorded
// them, so the event clip kept in Event/ lies between the two of Movie/ it was recorded
// between; clips of no camera name after them; other files, and a link back up the tree,
// add nothing.
TEST_F(Playlist, AFolderOpensToEveryClipUnderItInCameraOrder) {
    QTemporaryDir dir;
    QDir card(dir.path());
    for (const char* folder : {"Movie", "Event", "Movie/deeper"}) {
        card.mkpath(folder);
    }
    for (const char* name : {"Movie/2024_0601_120200_F.MP4", "Movie/2024_0601_120000_F.MP4",
                             "Event/2024_0601_120100_F.MP4", "Movie/notes.txt", "other.mp4",
                             "Movie/deeper/2024_0601_115900_F.MP4"}) {
        QFile(card.filePath(name)).open(QIODevice::WriteOnly);
    }
    QFile::link(dir.path(), card.filePath("Movie/loop"));
    video.now += 1000;
    pane->OpenAndPlay({dir.path()});
    QStringList listed;
    for (int i = 0; i < pane->List()->count(); ++i) {
        listed.append(pane->List()->text(i));
    }
    EXPECT_EQ(listed, QStringList({card.filePath("Movie/deeper/2024_0601_115900_F.MP4"),
                                   card.filePath("Movie/2024_0601_120000_F.MP4"),
                                   card.filePath("Event/2024_0601_120100_F.MP4"),
                                   card.filePath("Movie/2024_0601_120200_F.MP4"),
                                   card.filePath("other.mp4")}));
    EXPECT_EQ(pane->GetCurrentFile(), listed.value(0));
}

// The rows shown, as the list's names, and the clip played.
struct MomentCase {
    QStringList picked; // below the card's folder; "drop" drops the folder itself
    QStringList shown;
    QString played;
};

TEST_F(Playlist, AMomentOfSeveralCamerasIsOneRowOfItsMainClip) {
    QTemporaryDir card;
    for (const char* name :
         {"2024_1001_160000_F.MP4", "2024_1001_160000_R.MP4", "2024_1001_160000_I.MP4",
          "2024_1001_160100_0001A.MP4", "2024_1001_160100_0001B.MP4", "holiday.mp4"}) {
        QFile(card.filePath(name)).open(QIODevice::WriteOnly);
    }
    const QString first = "2024_1001_160000_F.MP4";
    const QString second = "2024_1001_160100_0001A.MP4";
    const std::vector<MomentCase> cases{
        {{"2024_1001_160000_R.MP4"}, {first + "  F R I"}, first},
        {{"2024_1001_160000_I.MP4", "2024_1001_160000_F.MP4", "2024_1001_160100_0001B.MP4"},
         {first + "  F R I", second + "  F R"},
         first},
        {{"holiday.mp4", "2024_1001_160000_R.MP4"},
         {"holiday.mp4", first + "  F R I"},
         "holiday.mp4"},
        {{"drop"}, {first + "  F R I", second + "  F R", "holiday.mp4"}, first},
    };
    for (const MomentCase& c : cases) {
        SCOPED_TRACE(c.picked.join(' ').toStdString());
        SetUp();
        QStringList picked;
        for (const QString& name : c.picked) {
            picked.append(name == "drop" ? card.path() : card.filePath(name));
        }
        video.now += 1000;
        pane->AddDroppedPaths(picked);
        QStringList shown;
        for (int i = 0; i < pane->List()->count(); ++i) {
            shown.append(pane->List()->index(i).data().toString());
        }
        EXPECT_EQ(shown.join(" | ").toStdString(), c.shown.join(" | ").toStdString());
        EXPECT_EQ(pane->GetCurrentFile().toStdString(), card.filePath(c.played).toStdString());
    }
}

TEST_F(Playlist, EnterPlaysAndDeleteRemovesTheSelectedEntry) {
    List({"/v/A.MP4", "/v/B.MP4"});
    pane->List()->select(1);
    video.now += 1000;
    QTest::keyClick(pane->ListView(), Qt::Key_Return);
    EXPECT_EQ(pane->GetCurrentFile(), "/v/B.MP4");
    QTest::keyClick(pane->ListView(), Qt::Key_Delete);
    EXPECT_EQ(pane->List()->count(), 1);
    EXPECT_EQ(Selection(), 0);
}

TEST_F(Playlist, ClickingARowSelectsItsEntry) {
    List({"/v/A.MP4", "/v/B.MP4"});
    pane->resize(300, 400);
    pane->show();
    QListView* view = pane->ListView();
    const QRect row = view->visualRect(pane->List()->index(1));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, row.center());
    EXPECT_EQ(Selection(), 1);
    pane->List()->remove(0);
    EXPECT_EQ(Selection(), 0);
    ASSERT_EQ(view->selectionModel()->selectedRows().size(), 1);
    EXPECT_EQ(view->selectionModel()->selectedRows().first().row(), 0);
    pane->List()->select(-1);
    EXPECT_TRUE(view->selectionModel()->selectedRows().isEmpty());
}

TEST_F(Playlist, TheListFillsThePaneBelowTheButtons) {
    pane->resize(300, 400);
    pane->show();
    EXPECT_EQ(pane->ListView()->geometry(), QRect(8, 28, 284, 364));
    // The buttons in the strip above it: the explore button 21 dialog units across, 1.5 px
    // each, at its template's x.
    const QRect explore = pane->findChild<QWidget*>("1010")->geometry();
    EXPECT_EQ(explore.x(), 31);
    EXPECT_LE(explore.bottom(), 27);
}

TEST_F(Playlist, ControlsCarryTheirIdsAndSkinElements) {
    EXPECT_EQ(SkinElementOf(pane.get()), "playlist");
    EXPECT_EQ(SkinElementOf(pane->findChild<QWidget*>("1010")), "list.btn.explore");
    EXPECT_EQ(SkinElementOf(pane->findChild<QWidget*>("1011")), "list.btn.delete");
    EXPECT_EQ(SkinElementOf(pane->findChild<QWidget*>("1012")), "list.btn.setup");
    EXPECT_EQ(SkinElementOf(pane->findChild<QWidget*>("1020")), "list.btn.recycle");
    EXPECT_EQ(pane->findChild<QWidget*>("1009"), pane->ListView());
}

TEST_F(Playlist, SetupButtonOpensTheSetupDialog) {
    bool opened = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<CDlgSetup*>(QApplication::activeModalWidget());
        opened = dialog != nullptr;
        if (dialog != nullptr) {
            dialog->reject();
        }
    });
    pane->findChild<QPushButton*>("1012")->click();
    EXPECT_TRUE(opened);
}

} // namespace
