#include "playback/ClipCutNote.h"

#include "playback/VideoPaneRules.h"
#include "track/ClipCut.h"

#include <QFile>

#include <algorithm>
#include <cmath>
#include <cstdio>

ClipCutNote::ClipCutNote(QWidget* pane) : QLabel(pane) {
    setObjectName(QStringLiteral("clipCutNote"));
    setWordWrap(true);
    setAlignment(Qt::AlignCenter);
    // Light on a dark band, readable over any picture.
    setStyleSheet(QStringLiteral("color: #f2f3f5; background: rgba(16, 17, 19, 220); "
                                 "padding: 3px 6px;"));
    hide();
}

void ClipCutNote::ShowFor(const QString& clipPath) {
    const std::optional<ClipCut> cut = FindClipCut(QFile::encodeName(clipPath).toStdString());
    if (!cut) {
        hide();
        return;
    }
    const auto whole = [](double seconds) {
        return TimeText(static_cast<unsigned>(std::max(0.0, std::floor(seconds))));
    };
    setText(tr("This clip's file ends at %1 of %2: the rest was never written, or was cut off.")
                .arg(whole(cut->at), whole(cut->length)));
    std::fprintf(stderr, "ostvik: %s: the file ends at %.1f s of the %.1f s its index names\n",
                 QFile::encodeName(clipPath).constData(), cut->at, cut->length);
    show();
    raise();
}

void ClipCutNote::PlaceOver(const QRect& picture) {
    setGeometry(picture.left(), picture.top(), picture.width(), heightForWidth(picture.width()));
}
