#include "app/COstvikApp.h"

#include "skin/RegularFile.h"
#include "skin/SkinSE.h"
#include "skin/SkinScramble.h"
#include "track/WholeFileWrite.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <optional>
#include <sys/stat.h>
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

// A folder no one but the user can reach: a real folder (not a link to one), the user's,
// closed to everybody else.
bool PrivateFolder(const QString& folder) {
    struct stat info {};
    return QDir::isAbsolutePath(folder) &&
           ::lstat(QFile::encodeName(folder).constData(), &info) == 0 && S_ISDIR(info.st_mode) &&
           info.st_uid == ::geteuid() && (info.st_mode & 077) == 0;
}

// The user's own cache folder for the player, made private; empty when it cannot be.
QString PrivateCacheFolder() {
    QString base = Variable("XDG_CACHE_HOME");
    if (!QDir::isAbsolutePath(base)) {
        base = QDir::home().filePath(QStringLiteral(".cache"));
    }
    const QString folder = QDir(base).filePath(QStringLiteral("ostvik"));
    QDir().mkpath(base);
    const QByteArray name = QFile::encodeName(folder);
    ::mkdir(name.constData(), 0700);
    struct stat info {};
    if (::lstat(name.constData(), &info) == 0 && S_ISDIR(info.st_mode) &&
        info.st_uid == ::geteuid()) {
        ::chmod(name.constData(), 0700);
    }
    return PrivateFolder(folder) ? folder : QString();
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
    const QString temporaryFolder = TemporaryFolder(m_programFolder);
    if (temporaryFolder.isEmpty()) {
        return Fail(QStringLiteral("no folder of the user's own for the plain skin: set TEMP"));
    }
    m_temporarySkin =
        QDir(temporaryFolder).filePath(QStringLiteral("tmp.%1").arg(kTemporarySkinNumber));
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
    // Never the shared temporary folder: under the copy's fixed name there, the first user
    // to start the player would lock every other one out.
    const QString runtime = Variable("XDG_RUNTIME_DIR");
    if (PrivateFolder(runtime)) {
        return runtime;
    }
    return PrivateCacheFolder();
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
    QString reason;
    std::optional<QByteArray> bytes = ReadRegularFile(archive, kMaxSkinArchiveBytes, &reason);
    if (!bytes) {
        return Fail(QStringLiteral("cannot read the skin archive %1: %2").arg(archive, reason));
    }
    Descramble(reinterpret_cast<std::uint8_t*>(bytes->data()), bytes->size());
    std::string why;
    if (!WriteWholeFile(QFile::encodeName(plainPath).toStdString(),
                        std::string_view(bytes->constData(), static_cast<size_t>(bytes->size())),
                        why)) {
        return Fail(QStringLiteral("cannot write %1: %2")
                        .arg(plainPath, QString::fromLocal8Bit(why.c_str())));
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
