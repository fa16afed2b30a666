#include "evidence/ReportPaths.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>

ReportPaths ReportPathsOf(const std::string& excerpt) {
    const QFileInfo info(QString::fromStdString(excerpt));
    const std::string base =
        (info.dir().path() + QStringLiteral("/") + info.completeBaseName()).toStdString();
    return {base + ".gpx", base + ".csv", base + ".report.pdf", base + ".manifest.txt"};
}

bool FolderTakesFiles(const std::string& folder, std::string& why) {
    const QString path = QString::fromStdString(folder);
    if (!QFileInfo(path).isDir()) {
        why = "no folder " + folder;
        return false;
    }
    // Trying is the only sure test: permissions, a read-only mount and ACLs all have a say.
    QTemporaryFile probe(path + QStringLiteral("/.ostvik-probe-XXXXXX"));
    if (!probe.open()) {
        why = "cannot write in " + folder + ": " + probe.errorString().toStdString();
        return false;
    }
    return true;
}
