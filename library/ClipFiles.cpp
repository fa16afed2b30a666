#include "library/ClipFiles.h"

#include "track/CameraFileName.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <vector>

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

namespace {

// Deeper than any camera's card; a deeper tree is someone's whole disk.
constexpr int kMaxFolderDepth = 8;

void GatherClips(const QString& folder, int depth, QSet<QString>& seen, QStringList& clips) {
    const QString real = QFileInfo(folder).canonicalFilePath();
    if (real.isEmpty() || seen.contains(real) || depth > kMaxFolderDepth) {
        return;
    }
    seen.insert(real);
    const QDir dir(folder);
    if (!QFileInfo(folder).isReadable() || !dir.isReadable()) {
        std::fprintf(stderr, "ostvik: %s: folder cannot be read, passed over\n",
                     qPrintable(QDir::toNativeSeparators(folder)));
        return;
    }
    clips.append(FilesInFolder(folder, kVideoSuffixes));
    for (const QFileInfo& sub :
         dir.entryInfoList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name)) {
        GatherClips(sub.absoluteFilePath(), depth + 1, seen, clips);
    }
}

} // namespace

QStringList ClipsInFolderTree(const QString& folder) {
    QStringList clips;
    QSet<QString> seen;
    GatherClips(QFileInfo(folder).absoluteFilePath(), 0, seen, clips);
    struct Keyed {
        std::optional<int64_t> time;
        QString name;
        QString path;
    };
    std::vector<Keyed> keyed;
    for (const QString& clip : clips) {
        const QString name = QFileInfo(clip).fileName();
        const std::optional<CameraFileName> read =
            ReadCameraFileName(QFile::encodeName(name).toStdString());
        keyed.push_back(
            {read ? std::optional<int64_t>(read->cameraTime) : std::nullopt, name, clip});
    }
    // Clips whose names state a time first, by that time; then the others, by name.
    std::stable_sort(keyed.begin(), keyed.end(), [](const Keyed& a, const Keyed& b) {
        if (a.time.has_value() != b.time.has_value()) {
            return a.time.has_value();
        }
        if (a.time != b.time) {
            return a.time < b.time;
        }
        return a.name < b.name;
    });
    QStringList ordered;
    for (const Keyed& clip : keyed) {
        ordered.append(clip.path);
    }
    return ordered;
}

QStringList ClipsOfDroppedPaths(const QStringList& paths) {
    QStringList clips;
    for (const QString& path : paths) {
        const QFileInfo info(path);
        if (info.isDir()) {
            clips.append(ClipsInFolderTree(info.absoluteFilePath()));
        } else if (info.isFile() && IsVideoFileName(info.fileName())) {
            clips.append(info.absoluteFilePath());
        }
    }
    return clips;
}

QStringList WithFoldersOpened(const QStringList& paths) {
    QStringList opened;
    for (const QString& path : paths) {
        if (QFileInfo(path).isDir()) {
            opened.append(ClipsInFolderTree(path));
        } else {
            opened.append(path);
        }
    }
    return opened;
}
