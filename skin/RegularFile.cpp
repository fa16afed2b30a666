#include "skin/RegularFile.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::optional<QByteArray> Fail(QString* error, const QString& text) {
    if (error != nullptr) {
        *error = text;
    }
    return std::nullopt;
}

QString Reason(int code) {
    return QString::fromLocal8Bit(std::strerror(code));
}

class FileCloser {
public:
    explicit FileCloser(int fd) : m_fd(fd) {}
    ~FileCloser() { ::close(m_fd); }
    FileCloser(const FileCloser&) = delete;
    FileCloser& operator=(const FileCloser&) = delete;

private:
    int m_fd;
};

} // namespace

std::optional<QByteArray> ReadRegularFile(const QString& path, qint64 maxBytes, QString* error) {
    // Without O_NONBLOCK the open itself would wait for a FIFO's writer.
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        return Fail(error, Reason(errno));
    }
    const FileCloser closer(fd);
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        return Fail(error, Reason(errno));
    }
    if (!S_ISREG(info.st_mode)) {
        return Fail(error, QStringLiteral("not a regular file"));
    }
    if (info.st_size > maxBytes) {
        return Fail(error, QStringLiteral("larger than %1 bytes").arg(maxBytes));
    }
    // The file may grow while it is read; one byte past the bound is enough to tell.
    QByteArray bytes(static_cast<qsizetype>(info.st_size) + 1, Qt::Uninitialized);
    qsizetype filled = 0;
    for (;;) {
        if (filled == bytes.size()) {
            if (filled > maxBytes) {
                return Fail(error, QStringLiteral("larger than %1 bytes").arg(maxBytes));
            }
            bytes.resize(std::min<qint64>(maxBytes + 1, filled * 2 + 4096));
        }
        const ssize_t got = ::read(fd, bytes.data() + filled, bytes.size() - filled);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            return Fail(error, Reason(errno));
        }
        if (got == 0) {
            break;
        }
        filled += got;
    }
    bytes.truncate(filled);
    return bytes;
}
