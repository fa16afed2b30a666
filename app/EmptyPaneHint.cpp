#include "app/EmptyPaneHint.h"

#include <QEvent>

#include <algorithm>

EmptyPaneHint::EmptyPaneHint(const QString& keys, QWidget* pane) : QLabel(pane) {
    setTextFormat(Qt::PlainText);
    setAlignment(Qt::AlignCenter);
    setWordWrap(true);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setText(HintLine() + QStringLiteral("\n\n") + keys);
    Fill();
    pane->installEventFilter(this);
}

// The pane less the band of its transport controls at the bottom.
void EmptyPaneHint::Fill() {
    constexpr int kControlsBand = 70;
    const QRect pane = parentWidget()->rect();
    setGeometry(pane.adjusted(0, 0, 0, -std::min(kControlsBand, pane.height())));
    raise();
}

QString EmptyPaneHint::HintLine() {
    return tr("Drop clips here, press + or plug in the camera");
}

bool EmptyPaneHint::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Resize) {
        Fill();
    }
    return QLabel::eventFilter(watched, event);
}
