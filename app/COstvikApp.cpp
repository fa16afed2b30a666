#include "app/COstvikApp.h"

#include "app/SafeFileWrite.h"
#include "skin/SkinSE.h"
#include "skin/SkinScramble.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <unistd.h>

namespace {

// Larger files are not skins; reading one whole would only cost memory.
constexpr qint64 kMaxSkinArchiveBytes = 64 * 1024 * 1024;

QString Variable(const char* name) {
    return qEnvironmentVariable(name);
}

bool Writable(const QString& folder) {
    return ::access(QFile::encodeName(folder).constData(), W_OK | X_OK) == 0;
}

} // namespace

bool COstvikApp::InitInstance() {
    m_programFolder = QCoreApplication::applicationDirPath();
    const QStringList candidates = SkinArchiveCandidates(m_programFolder);
    m_skinArchive = candidates.first();
    for (const QString& candidate : candidates) {
        if (QFileInfo::exists(candidate)) {
            m_skinArchive = candidate;
            break;
        }
    }
    if (!QFileInfo::exists(m_skinArchive)) {
        return Fail(QStringLiteral("no skin archive: looked for %1")
                        .arg(candidates.join(QStringLiteral(", "))));
    }
    m_temporarySkin = QDir(TemporaryFolder(m_programFolder))
                          .filePath(QStringLiteral("tmp.%1").arg(kTemporarySkinNumber));
    if (!PrepareSkin(m_skinArchive, m_temporarySkin)) {
        return false;
    }
    if (SkinSE_LoadSkinResourceFromZIP(m_temporarySkin, QString()) == 0) {
        return Fail(QStringLiteral("the skin archive %1 was rejected: %2")
                        .arg(m_skinArchive, SkinSE_LastError()));
    }
    return true;
}

QString COstvikApp::TemporaryFolder(const QString& programFolder) {
    for (const char* name : {"TEMP", "TMP"}) {
        const QString value = Variable(name);
        if (!value.isEmpty()) {
            return value;
        }
    }
    if (Writable(programFolder)) {
        return programFolder;
    }
    return QDir::tempPath();
}

QStringList COstvikApp::SkinArchiveCandidates(const QString& programFolder) {
    const QDir program(programFolder);
    QStringList candidates{
        program.filePath(QStringLiteral("Skin.dat")),
        // An installed program finds its data beside its bin folder, wherever the tree sits.
        QDir::cleanPath(
            program.filePath(QStringLiteral("../" OSTVIK_RELATIVE_DATADIR "/Skin.dat"))),
        QDir(QStringLiteral(OSTVIK_DATADIR)).filePath(QStringLiteral("Skin.dat")),
    };
    candidates.removeDuplicates();
    return candidates;
}

bool COstvikApp::PrepareSkin(const QString& archive, const QString& plainPath) {
    QFile file(archive);
    if (!file.open(QIODevice::ReadOnly)) {
        return Fail(
            QStringLiteral("cannot read the skin archive %1: %2").arg(archive, file.errorString()));
    }
    if (file.size() > kMaxSkinArchiveBytes) {
        return Fail(QStringLiteral("the skin archive %1 is too large").arg(archive));
    }
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        return Fail(
            QStringLiteral("cannot read the skin archive %1: %2").arg(archive, file.errorString()));
    }
    Descramble(reinterpret_cast<std::uint8_t*>(bytes.data()), bytes.size());
    QString error;
    if (!WriteFileReplacing(plainPath, bytes, &error)) {
        return Fail(error);
    }
    return true;
}

bool COstvikApp::Fail(const QString& text) {
    // One line whatever a path holds.
    m_error = text;
    m_error.replace(QLatin1Char('\n'), QLatin1Char(' '))
        .replace(QLatin1Char('\r'), QLatin1Char(' '));
    return false;
}
