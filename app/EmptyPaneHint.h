// What the video pane shows while no clip is open: how to add clips, in one line, and the
// keys that work in the window. It fills its pane, follows the pane's size, and lets
// presses and drops through to the pane and the window under it.
#pragma once

#include <QLabel>

class EmptyPaneHint : public QLabel {
    Q_OBJECT

public:
    EmptyPaneHint(const QString& keys, QWidget* pane);

    // The one line above the keys.
    static QString HintLine();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Fill();
};
