#include "skin/SkinContent.h"

#include <string>

namespace {

void Fail(QString* error, const QString& text) {
    if (error != nullptr) {
        *error = text;
    }
}

} // namespace

std::optional<SkinContent> SkinContent::Open(const QByteArray& zip, QString* error) {
    std::string reason;
    std::optional<SkinArchive> archive = SkinArchive::Read(zip.constData(), zip.size(), &reason);
    if (!archive) {
        Fail(error, QString::fromStdString(reason));
        return std::nullopt;
    }
    const std::vector<std::uint8_t>* json = archive->Find(SkinManifest::kFileName);
    if (json == nullptr) {
        Fail(error,
             QStringLiteral("no %1 in the archive").arg(QLatin1String(SkinManifest::kFileName)));
        return std::nullopt;
    }
    std::optional<SkinManifest> manifest =
        SkinManifest::Parse(QByteArray(reinterpret_cast<const char*>(json->data()),
                                       static_cast<qsizetype>(json->size())),
                            error);
    if (!manifest) {
        return std::nullopt;
    }
    for (const QString& name : manifest->FilesNamed()) {
        if (archive->Find(name.toStdString()) == nullptr) {
            Fail(error, QStringLiteral("%1 names %2, which the archive does not hold")
                            .arg(QLatin1String(SkinManifest::kFileName), name));
            return std::nullopt;
        }
    }
    SkinContent content;
    content.m_archive = std::move(*archive);
    content.m_manifest = std::move(*manifest);
    return content;
}

QByteArray SkinContent::File(const QString& name) const {
    const std::vector<std::uint8_t>* bytes = m_archive.Find(name.toStdString());
    if (bytes == nullptr) {
        return {};
    }
    return QByteArray(reinterpret_cast<const char*>(bytes->data()),
                      static_cast<qsizetype>(bytes->size()));
}

bool SkinContent::Holds(const QString& name) const {
    return m_archive.Find(name.toStdString()) != nullptr;
}
