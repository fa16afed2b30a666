#include "evidence/FileDigest.h"

#include <QCryptographicHash>
#include <QFile>

#include <algorithm>
#include <atomic>
#include <future>

namespace {

// Large enough that a read costs little beside the hashing, small enough to stay in cache.
constexpr qint64 kBlockBytes = 1 << 20;

} // namespace

std::optional<FileDigest> DigestOfFile(const std::string& path, std::string& why,
                                       const std::atomic<bool>* stop) {
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly)) {
        why = "cannot read " + path + ": " + file.errorString().toStdString();
        return std::nullopt;
    }
    QCryptographicHash hash(QCryptographicHash::Sha256);
    QByteArray block(kBlockBytes, Qt::Uninitialized);
    FileDigest digest;
    for (;;) {
        if (stop != nullptr && stop->load()) {
            why = "stopped";
            return std::nullopt;
        }
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

std::vector<DigestResult> DigestFiles(const std::vector<std::string>& paths, int threads,
                                      const std::atomic<bool>* stop) {
    std::vector<DigestResult> results(paths.size());
    std::atomic<size_t> next{0};
    auto work = [&] {
        for (size_t i = next++; i < paths.size(); i = next++) {
            results[i].digest = DigestOfFile(paths[i], results[i].why, stop);
        }
    };
    std::vector<std::future<void>> workers;
    const size_t count = std::min(paths.size(), static_cast<size_t>(std::max(threads, 1)));
    for (size_t i = 1; i < count; ++i) {
        workers.push_back(std::async(std::launch::async, work));
    }
    work();
    for (std::future<void>& worker : workers) {
        worker.get();
    }
    return results;
}
