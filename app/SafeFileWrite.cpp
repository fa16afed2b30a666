#include "app/SafeFileWrite.h"

#include <QFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

bool Fail(QString* error, const QString& path, int code) {
    if (error != nullptr) {
        *error = QStringLiteral("cannot write %1: %2")
                     .arg(path, QString::fromLocal8Bit(std::strerror(code)));
    }
    return false;
}

bool WriteAll(int fd, const char* data, qsizetype size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, static_cast<size_t>(size));
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        data += written;
        size -= written;
    }
    return true;
}

} // namespace

bool WriteFileReplacing(const QString& path, const QByteArray& bytes, QString* error) {
    const QByteArray target = QFile::encodeName(path);
    // mkstemp creates the file with O_EXCL and mode 0600: it never opens an existing name,
    // a link included.
    QByteArray pattern = target + ".XXXXXX";
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0) {
        return Fail(error, path, errno);
    }
    int code = 0;
    if (!WriteAll(fd, bytes.constData(), bytes.size()) || ::fsync(fd) != 0) {
        code = errno;
    }
    if (::close(fd) != 0 && code == 0) {
        code = errno;
    }
    if (code == 0 && ::rename(pattern.constData(), target.constData()) != 0) {
        code = errno;
    }
    if (code != 0) {
        ::unlink(pattern.constData());
        return Fail(error, path, code);
    }
    return true;
}
