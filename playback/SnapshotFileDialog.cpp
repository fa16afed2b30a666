#include "playback/SnapshotFileDialog.h"

#include "skin/ReadableDialog.h"

#include <QFileDialog>
#include <QFileInfo>

std::unique_ptr<QFileDialog> MakeSnapshotFileDialog(QWidget* owner, const QString& proposed) {
    const QFileInfo path(proposed);
    auto dialog = std::make_unique<QFileDialog>(
        owner, QObject::tr("Save snapshot"), path.absolutePath(),
        QStringLiteral("BMP Files(*.bmp);;PNG Files(*.png);;PDF report with hashes(*.pdf);;"
                       "All Files(*.*)"));
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setDefaultSuffix(QStringLiteral("BMP"));
    // A name typed without a suffix takes the kind the user picked; "All Files" keeps BMP.
    QFileDialog* raw = dialog.get();
    QObject::connect(raw, &QFileDialog::filterSelected, raw, [raw](const QString& filter) {
        raw->setDefaultSuffix(filter.startsWith(QStringLiteral("PNG"))   ? QStringLiteral("PNG")
                              : filter.startsWith(QStringLiteral("PDF")) ? QStringLiteral("pdf")
                                                                         : QStringLiteral("BMP"));
    });
    // Qt's own dialog, so that the readable colours reach every widget in it.
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    MakeReadableUnderSkin(dialog.get());
    dialog->selectFile(path.fileName());
    return dialog;
}
