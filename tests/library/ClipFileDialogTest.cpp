#include "library/ClipFileDialog.h"
#include "tests/support/Pump.h"
#include "tests/support/ReadableFields.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeView>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

using namespace std::chrono_literals;
using testsupport::PumpFor;
using testsupport::PumpUntil;

namespace {

// The names the dialog shows in `folder`, once it has read the folder.
QStringList ShownNames(QFileDialog& dialog, const QString& folder) {
    auto* model = dialog.findChild<QFileSystemModel*>();
    if (model == nullptr) {
        return {};
    }
    dialog.setDirectory(folder);
    const QModelIndex parent = model->index(folder);
    PumpUntil([&] { return model->rowCount(parent) >= 3; }, 5s);
    PumpFor(100ms);
    QStringList names;
    for (int row = 0; row < model->rowCount(parent); ++row) {
        names.append(model->index(row, 0, parent).data().toString());
    }
    std::sort(names.begin(), names.end());
    return names;
}

TEST(ClipFileDialog, ShowsTheThreeKindsWhateverTheirLetterCase) {
    QTemporaryDir dir;
    for (const char* name : {"CLIP.MOV", "clip.mp4", "trip.Avi", "CLIP.TXT", "notes.txt"}) {
        QFile(dir.filePath(name)).open(QIODevice::WriteOnly);
    }
    const std::unique_ptr<QFileDialog> dialog = MakeClipFileDialog(nullptr);
    EXPECT_EQ(dialog->nameFilters(), QStringList({"video file (*.mov *.avi *.mp4 *.ts)"}));
    EXPECT_EQ(dialog->fileMode(), QFileDialog::ExistingFiles);
    EXPECT_EQ(ShownNames(*dialog, dir.path()), QStringList({"CLIP.MOV", "clip.mp4", "trip.Avi"}));
}

// A dialog that picks files cannot pick a folder; its button takes the folder shown.
TEST(ClipFileDialog, ItsButtonTakesTheFolderShown) {
    QTemporaryDir dir;
    const std::unique_ptr<QFileDialog> dialog = MakeClipFileDialog(nullptr);
    dialog->setDirectory(dir.path());
    auto* button = dialog->findChild<QPushButton*>(QStringLiteral("addFolder"));
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->text(), "Add this folder");
    dialog->open();
    button->click();
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(ChosenClipPaths(*dialog), QStringList({QDir(dir.path()).absolutePath()}));
}

TEST(ClipFileDialog, ReadableUnderTheSkin) {
    ExpectReadableFields(*MakeClipFileDialog(nullptr));
}

// A clip that grows to 153 MiB and one of a new kind, both after the folder was read: the
// size and type columns show the longer texts whole.
TEST(ClipFileDialog, ColumnsFitTextsThatComeLater) {
    QTemporaryDir dir;
    QFile growing(dir.filePath("A.MP4"));
    ASSERT_TRUE(growing.open(QIODevice::WriteOnly));
    growing.resize(1);
    const std::unique_ptr<QFileDialog> dialog = MakeClipFileDialog(nullptr, dir.path());
    dialog->setViewMode(QFileDialog::Detail);
    dialog->show();
    auto* model = dialog->findChild<QFileSystemModel*>();
    auto* view = dialog->findChild<QTreeView*>();
    ASSERT_TRUE(model != nullptr && view != nullptr);
    const QModelIndex folder = model->index(dir.path());
    const auto settle = [&](const std::function<bool()>& done) {
        PumpUntil(done, 5s);
        PumpFor(100ms);
    };
    settle([&] { return model->rowCount(folder) == 1; });
    growing.resize(161051000);
    growing.close();
    QFile(dir.filePath("B.MOV")).open(QIODevice::WriteOnly);
    settle([&] {
        return model->rowCount(folder) == 2 &&
               model->index(dir.filePath("A.MP4"), 1).data().toString().startsWith("153");
    });
    ASSERT_EQ(model->rowCount(folder), 2);
    for (int column : {1, 2}) {
        EXPECT_GE(view->columnWidth(column),
                  static_cast<QAbstractItemView*>(view)->sizeHintForColumn(column))
            << "column " << column;
    }
}

// The camera's folder when there is one, else the Videos folder, else the home folder.
TEST(ClipFileDialog, OpensOnTheCameraElseTheVideosFolder) {
    QTemporaryDir home;
    const QByteArray oldHome = qgetenv("HOME");
    const QByteArray oldConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("HOME", QFile::encodeName(home.path()));
    // No user-dirs.dirs there: the Videos folder is the home's "Videos".
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath("config")));
    const QString camera = home.filePath("camera/VIDEO");
    QDir(home.path()).mkpath("camera/VIDEO");
    EXPECT_EQ(MakeClipFileDialog(nullptr, camera)->directory().path(), camera);
    EXPECT_EQ(MakeClipFileDialog(nullptr)->directory().path(), home.path());
    QDir(home.path()).mkdir("Videos");
    EXPECT_EQ(MakeClipFileDialog(nullptr)->directory().path(), home.filePath("Videos"));
    qputenv("HOME", oldHome);
    qputenv("XDG_CONFIG_HOME", oldConfig);
}

} // namespace
