// The save dialog of "Save track as…": one name filter per track format, so the filter the
// user picks is the format written, and a name typed without a suffix takes that format's.
#pragma once

#include "track/TrackExport.h"

#include <QString>

#include <memory>
#include <optional>

class QFileDialog;
class QWidget;

// The dialog, opening on `proposed` (folder and name without a suffix), GPX first.
std::unique_ptr<QFileDialog> MakeTrackSaveDialog(QWidget* owner, const QString& proposed);

// The format to write to `path` chosen under `filter`: the path's own suffix when it names a
// format (a file called .kml never holds GPX), else the filter's; nothing when neither does.
std::optional<TrackFormat> ChosenTrackFormat(const QString& path, const QString& filter);
