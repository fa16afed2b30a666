// The playlist's rows for clips being added, one per moment: a camera with several channels
// writes a file per camera of each moment, and the list shows the moment once, by the clip
// that leads it (the front one; FindChannelClips), with the channels it holds. A rear or
// interior clip picked, dropped or found on the camera gives its moment's main clip.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

struct MomentRow {
    QString path;
    // The moment's channel letters, main first ("F R I"); empty for a clip of no set.
    QString channels;
};

// The rows for `paths`, in their order, each moment once: the row of `paths[0]` comes
// first. Clips of a moment already given by an earlier path give no row of their own.
QList<MomentRow> MomentRows(const QStringList& paths);
