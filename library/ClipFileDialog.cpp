#include "library/ClipFileDialog.h"

#include "library/ClipFiles.h"

#include "library/CCameraLocator.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QStandardPaths>

namespace {

// The skin's dark sheet covers the whole application but styles only the player's own
// controls: on a file dialog it leaves light text on white views. The dialog takes the
// platform's palette back instead, every widget in it.
const char kReadableSheet[] = R"(
QWidget { color: palette(window-text); }
QDialog { background: palette(window); }
QAbstractItemView, QLineEdit, QComboBox {
    color: palette(text);
    background: palette(base);
    selection-color: palette(highlighted-text);
    selection-background-color: palette(highlight);
}
QPushButton {
    color: palette(button-text);
    background: palette(button);
    border: 1px solid palette(mid);
    border-radius: 3px;
    padding: 3px 12px;
}
QPushButton:hover { border-color: palette(highlight); }
)";

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
    dialog->setStyleSheet(QLatin1String(kReadableSheet));
    return dialog;
}

QStringList AskForClips(QWidget* owner) {
    const QString camera = QFile::decodeName(CCameraLocator().FindCameraFolder().c_str());
    const std::unique_ptr<QFileDialog> dialog = MakeClipFileDialog(owner, camera);
    return dialog->exec() == QDialog::Accepted ? dialog->selectedFiles() : QStringList();
}
