#include "skin/ReadableDialog.h"

#include <QFileSystemModel>
#include <QHeaderView>
#include <QTreeView>
#include <QWidget>

namespace {

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

void MakeReadableUnderSkin(QWidget* dialog) {
    dialog->setStyleSheet(QLatin1String(kReadableSheet));
    // A file view fits its size, type and date columns to the rows it holds when it lays
    // itself out; sizes and kinds the reading thread delivers after that were seen cut
    // ("153...MiB"). Each folder, once wholly read, fits them again.
    for (QTreeView* view : dialog->findChildren<QTreeView*>()) {
        auto* files = qobject_cast<QFileSystemModel*>(view->model());
        if (files == nullptr) {
            continue;
        }
        QObject::connect(
            files, &QFileSystemModel::directoryLoaded, view,
            [view] {
                for (int column = 1; column < view->header()->count(); ++column) {
                    view->resizeColumnToContents(column);
                }
            },
            Qt::QueuedConnection);
    }
}
