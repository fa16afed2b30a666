#include "library/ClipFiles.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace {

const QStringList kVideoSuffixes{QStringLiteral("mov"), QStringLiteral("avi"),
                                 QStringLiteral("mp4"), QStringLiteral("ts")};

bool HasSuffix(const QString& name, const QStringList& suffixes) {
    const QString suffix = QFileInfo(name).suffix();
    return std::any_of(suffixes.begin(), suffixes.end(), [&](const QString& wanted) {
        return suffix.compare(wanted, Qt::CaseInsensitive) == 0;
    });
}

} // namespace

QString VideoFileFilter() {
    return QStringLiteral("video file (*.mov *.avi *.mp4 *.ts)");
}

bool IsVideoFileName(const QString& name) {
    return HasSuffix(name, kVideoSuffixes);
}

QStringList FilesInFolder(const QString& folder, const QStringList& suffixes) {
    QStringList paths;
    const QDir dir(folder);
    for (const QFileInfo& entry :
         dir.entryInfoList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::NoSort)) {
        if (HasSuffix(entry.fileName(), suffixes)) {
            paths.append(dir.filePath(entry.fileName()));
        }
    }
    std::sort(paths.begin(), paths.end());
    return paths;
}

QStringList ClipsOfDroppedPaths(const QStringList& paths) {
    QStringList clips;
    for (const QString& path : paths) {
        const QFileInfo info(path);
        if (info.isDir()) {
            clips.append(FilesInFolder(info.absoluteFilePath(), kVideoSuffixes));
        } else if (info.isFile() && IsVideoFileName(info.fileName())) {
            clips.append(info.absoluteFilePath());
        }
    }
    return clips;
}
