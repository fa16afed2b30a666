#include "library/MomentRows.h"

#include "track/ChannelClipFinder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

namespace {

QString Cleaned(const QString& path) {
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

QString FromNative(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

QChar Letter(char channel) {
    // A clip that names no channel stands in the front camera's place.
    return QLatin1Char(channel == 0 ? 'F' : channel);
}

} // namespace

QList<MomentRow> MomentRows(const QStringList& paths) {
    QList<MomentRow> rows;
    // Every clip of the moments found so far, so that each moment is looked for once.
    QSet<QString> placed;
    ChannelClipFinder finder;
    for (const QString& path : paths) {
        if (placed.contains(Cleaned(path))) {
            continue;
        }
        const ChannelSet set = finder.Find(QFile::encodeName(path).toStdString());
        MomentRow row{FromNative(set.main.path), {}};
        placed.insert(Cleaned(row.path));
        if (!set.others.empty()) {
            row.channels = Letter(set.main.channel);
            for (const ChannelClip& other : set.others) {
                row.channels += QLatin1Char(' ') + Letter(other.channel);
                placed.insert(Cleaned(FromNative(other.path)));
            }
        }
        rows.append(row);
    }
    return rows;
}
