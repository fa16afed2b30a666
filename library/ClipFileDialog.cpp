#include "library/ClipFileDialog.h"

#include "library/ClipFiles.h"

#include <QFileDialog>

std::unique_ptr<QFileDialog> MakeClipFileDialog(QWidget* owner) {
    auto dialog = std::make_unique<QFileDialog>(owner, QObject::tr("Add clips"), QString(),
                                                VideoFileFilter());
    dialog->setFileMode(QFileDialog::ExistingFiles);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    // Qt's own dialog matches the patterns whatever the letter case (CLIP.MOV and clip.mp4
    // both show); a desktop's native one may not.
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    return dialog;
}

QStringList AskForClips(QWidget* owner) {
    const std::unique_ptr<QFileDialog> dialog = MakeClipFileDialog(owner);
    return dialog->exec() == QDialog::Accepted ? dialog->selectedFiles() : QStringList();
}
