// The note over the picture of a clip whose file ends before its index does (FindClipCut):
// such a clip stops early, and without a word the user takes the stop for the end of the
// recording. It says where the file ends, and the log says it once per open.
#pragma once

#include <QLabel>
#include <QString>

class ClipCutNote : public QLabel {
public:
    explicit ClipCutNote(QWidget* pane);

    // Looks at the clip just opened: shows the note when its file is cut, else hides it.
    void ShowFor(const QString& clipPath);
    // Along the top of the picture.
    void PlaceOver(const QRect& picture);
};
