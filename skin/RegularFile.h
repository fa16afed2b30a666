// Reads a whole file that must be a regular file of bounded size, through the track side's
// reader of files beside a clip, into Qt's bytes. The file is opened without
// blocking and checked before a byte is read, so a FIFO, a device or a link to one (a name
// pointed at /dev/zero, say) is refused at once instead of hanging or filling memory.
#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// The bytes of the file at `path`, or nothing when it cannot be opened, is not a regular
// file, holds more than `maxBytes` or fails to read; `error` then says why (without the path).
std::optional<QByteArray> ReadRegularFile(const QString& path, qint64 maxBytes, QString* error);
