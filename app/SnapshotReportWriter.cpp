#include "app/SnapshotReportWriter.h"

#include "evidence/report/SnapshotReport.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QImage>

CVideoViewDlg::SnapshotReportWriter MakeSnapshotReportWriter() {
    return [](const QImage& frame, const QString& clip, double offset, const SnapshotFacts& facts,
              const QString& path, QString& why) {
        const std::string clipPath = QFile::encodeName(clip).toStdString();
        const ReportOrigin origin{
            (QCoreApplication::applicationName() + " " + QCoreApplication::applicationVersion())
                .toStdString(),
            QStringLiteral("the snapshot dialog: the frame at %1 s of %2")
                .arg(offset, 0, 'f', 1)
                .arg(clip)
                .toStdString(),
            {},
            QDateTime::currentSecsSinceEpoch()};
        std::string failed;
        const bool ok = WriteSnapshotReport(
            {frame, clipPath, offset, facts, origin, QFile::encodeName(path).toStdString()},
            failed);
        why = QString::fromStdString(failed);
        return ok;
    };
}
