#include "track/WholeFileWrite.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

bool WriteAll(int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t n = ::write(fd, text.data(), text.size());
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n == 0) {
            errno = EIO; // no progress and no reason: never loop on it
        }
        if (n <= 0) {
            return false;
        }
        text.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

} // namespace

bool WriteWholeFile(const std::filesystem::path& path, std::string_view text, std::string& why) {
    // Hidden and unique to this process and call, so that the batch's threads, and another
    // run writing into the same folder, never share one; short, so that a long final name
    // does not make it too long.
    static std::atomic<unsigned> serial{0};
    std::filesystem::path temporary;
    int fd = -1;
    do {
        temporary = path.parent_path() / (".ostvik-" + std::to_string(::getpid()) + "-" +
                                          std::to_string(serial++) + ".tmp");
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    } while (fd < 0 && errno == EEXIST);
    if (fd < 0) {
        why = std::strerror(errno);
        return false;
    }
    // On disk before the rename, so that a power cut leaves the old file or the new one.
    bool written = WriteAll(fd, text) && ::fsync(fd) == 0;
    int error = errno;
    if (::close(fd) != 0 && written) {
        written = false;
        error = errno;
    }
    if (written && ::rename(temporary.c_str(), path.c_str()) != 0) {
        written = false;
        error = errno;
    }
    if (!written) {
        ::unlink(temporary.c_str());
        why = std::strerror(error);
    }
    return written;
}
