#include "library/ClipFileDialog.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// The names the dialog shows in `folder`, once it has read the folder.
QStringList ShownNames(QFileDialog& dialog, const QString& folder) {
    auto* model = dialog.findChild<QFileSystemModel*>();
    if (model == nullptr) {
        return {};
    }
    dialog.setDirectory(folder);
    const QModelIndex parent = model->index(folder);
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 5000 && model->rowCount(parent) < 3) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    QApplication::processEvents(QEventLoop::AllEvents, 100);
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
    EXPECT_EQ(dialog->nameFilters(), QStringList({"video file (*.mov *.avi *.mp4)"}));
    EXPECT_EQ(dialog->fileMode(), QFileDialog::ExistingFiles);
    EXPECT_EQ(ShownNames(*dialog, dir.path()), QStringList({"CLIP.MOV", "clip.mp4", "trip.Avi"}));
}

} // namespace
