#include "library/ClipFileDialog.h"

#include "library/ClipFiles.h"

#include "library/CCameraLocator.h"
#include "skin/ReadableDialog.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QStandardPaths>

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
    MakeReadableUnderSkin(dialog.get());
    return dialog;
}

QStringList AskForClips(QWidget* owner) {
    const QString camera = QFile::decodeName(CCameraLocator().FindCameraFolder().c_str());
    const std::unique_ptr<QFileDialog> dialog = MakeClipFileDialog(owner, camera);
    return dialog->exec() == QDialog::Accepted ? dialog->selectedFiles() : QStringList();
}
