#include "skin/ReadableDialog.h"

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
}
