#include "library/ClipFileDialog.h"

#include "library/ClipFiles.h"

#include "library/CCameraLocator.h"
#include "skin/ReadableDialog.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QGridLayout>
#include <QPushButton>
#include <QStandardPaths>

namespace {

const char kChosenFolder[] = "ostvikChosenFolder";

} // namespace

std::unique_ptr<QFileDialog> MakeClipFileDialog(QWidget* owner, const QString& cameraFolder) {
    QString start = cameraFolder;
    if (start.isEmpty()) {
        start = QStandardPaths::writableLocation(QStandardPaths::MoviesLocation);
    }
    if (!QDir(start).exists()) {
        start = QDir::homePath();
    }
    auto dialog =
        std::make_unique<QFileDialog>(owner, QObject::tr("Add clips"), start, VideoFileFilter());
    dialog->setFileMode(QFileDialog::ExistingFiles);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    // Qt's own dialog matches the patterns whatever the letter case (CLIP.MOV and clip.mp4
    // both show); a desktop's native one may not.
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    // A dialog that picks files cannot pick a folder: this button takes the folder shown,
    // with every clip under it, as a camera's card is opened.
    auto* folderButton = new QPushButton(QObject::tr("Add this folder"), dialog.get());
    folderButton->setObjectName(QStringLiteral("addFolder"));
    folderButton->setAutoDefault(false);
    if (auto* grid = qobject_cast<QGridLayout*>(dialog->layout())) {
        grid->addWidget(folderButton, grid->rowCount(), 0, 1, grid->columnCount());
    }
    QFileDialog* shown = dialog.get();
    QObject::connect(folderButton, &QPushButton::clicked, shown, [shown] {
        shown->setProperty(kChosenFolder, shown->directory().absolutePath());
        static_cast<QDialog*>(shown)->done(QDialog::Accepted);
    });
    MakeReadableUnderSkin(dialog.get());
    return dialog;
}

QStringList ChosenClipPaths(const QFileDialog& dialog) {
    const QString folder = dialog.property(kChosenFolder).toString();
    return folder.isEmpty() ? dialog.selectedFiles() : QStringList{folder};
}

QStringList AskForClips(QWidget* owner) {
    const QString camera = QFile::decodeName(CCameraLocator().FindCameraFolder().c_str());
    const std::unique_ptr<QFileDialog> dialog = MakeClipFileDialog(owner, camera);
    return dialog->exec() == QDialog::Accepted ? ChosenClipPaths(*dialog) : QStringList();
}
