// The pane's snapshot: the frame on screen, saved where the user says, with the clip's
// name and the offset in the name offered.
#include "playback/CVideoViewDlg.h"

#include "playback/SnapshotFile.h"
#include "playback/VideoPaneRules.h"
#include "playback/mivex.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QStandardPaths>

void CVideoViewDlg::GrabSnapshot() {
    if (mivex_get_play_status() == kMivexStopped) {
        return;
    }
    const double offset = mivex_curr_play_time();
    const QImage frame = mivex_grab_image();
    if (frame.isNull()) {
        qWarning("snapshot: no frame to take");
        return;
    }
    if (m_snapshotFolder.isEmpty()) {
        m_snapshotFolder = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    }
    const QString defaultName =
        QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMddHHmmss")) + QLatin1Char('_') +
        QFileInfo(m_clipPath).completeBaseName() + QLatin1Char('_') +
        TenthsTimeText(offset).replace(QLatin1Char(':'), QLatin1Char('-')) + QStringLiteral(".bmp");
    const QString path = m_savePathPrompt(QDir(m_snapshotFolder).filePath(defaultName));
    if (path.isEmpty()) {
        return;
    }
    const SnapshotFacts facts = m_snapshotFacts ? m_snapshotFacts(offset) : SnapshotFacts{};
    if (path.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive)) {
        QString why = QStringLiteral("no report writer");
        if (!m_snapshotReport || !m_snapshotReport(frame, m_clipPath, offset, facts, path, why)) {
            qWarning("snapshot: no report written: %s", qUtf8Printable(why));
            return;
        }
        m_snapshotFolder = QFileInfo(path).absolutePath();
        return;
    }
    if (!SaveSnapshot(frame, path, QFileInfo(m_clipPath).fileName(), offset, facts)) {
        qWarning("snapshot: cannot write %s", qUtf8Printable(path));
        return;
    }
    m_snapshotFolder = QFileInfo(path).absolutePath();
}
