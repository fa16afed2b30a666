#include "library/ClipWarming.h"

#include <QFile>
#include <QThreadPool>

#include <fcntl.h>
#include <unistd.h>

void WarmClipPages(const QString& path) {
    QThreadPool::globalInstance()->start([name = QFile::encodeName(path)] {
        const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0) {
            return;
        }
        // WILLNEED starts the read-ahead of the whole file and returns; the pages stay
        // cached for the open that follows.
        ::posix_fadvise(fd, 0, 0, POSIX_FADV_WILLNEED);
        ::close(fd);
    });
}
