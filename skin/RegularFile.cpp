#include "skin/RegularFile.h"

#include "track/RegularFileRead.h"

#include <QFile>

#include <algorithm>

std::optional<QByteArray> ReadRegularFile(const QString& path, qint64 maxBytes, QString* error) {
    RegularFileRefusal refusal;
    const std::optional<std::string> bytes =
        ReadRegularFile(QFile::encodeName(path).toStdString(),
                        static_cast<uint64_t>(std::max<qint64>(maxBytes, 0)), refusal);
    if (!bytes) {
        if (error != nullptr) {
            *error = QString::fromLocal8Bit(refusal.why.c_str());
        }
        return std::nullopt;
    }
    return QByteArray(bytes->data(), static_cast<qsizetype>(bytes->size()));
}
