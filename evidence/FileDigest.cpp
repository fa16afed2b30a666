#include "evidence/FileDigest.h"

#include <QCryptographicHash>
#include <QFile>

namespace {

// Large enough that a read costs little beside the hashing, small enough to stay in cache.
constexpr qint64 kBlockBytes = 1 << 20;

} // namespace

std::optional<FileDigest> DigestOfFile(const std::string& path, std::string& why) {
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly)) {
        why = "cannot read " + path + ": " + file.errorString().toStdString();
        return std::nullopt;
    }
    QCryptographicHash hash(QCryptographicHash::Sha256);
    QByteArray block(kBlockBytes, Qt::Uninitialized);
    FileDigest digest;
    for (;;) {
        const qint64 n = file.read(block.data(), kBlockBytes);
        if (n < 0) {
            why = "cannot read " + path + ": " + file.errorString().toStdString();
            return std::nullopt;
        }
        if (n == 0) {
            break;
        }
        hash.addData(QByteArrayView(block.constData(), n));
        digest.bytes += n;
    }
    digest.sha256 = hash.result().toHex().toStdString();
    return digest;
}

FileDigest DigestOfBytes(const std::string& bytes) {
    const QByteArray hash =
        QCryptographicHash::hash(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())),
                                 QCryptographicHash::Sha256);
    return {hash.toHex().toStdString(), static_cast<int64_t>(bytes.size())};
}
