// Writes a whole file so that no one else's file is ever touched: the bytes go to a fresh
// private file in the same folder, which is then renamed over the target. A link planted
// at the target's name is replaced, never followed, and a reader never sees half a file.
#pragma once

#include <QByteArray>
#include <QString>

// True when `path` now holds exactly `bytes`; otherwise `error` says why and the target
// is as it was.
bool WriteFileReplacing(const QString& path, const QByteArray& bytes, QString* error);
