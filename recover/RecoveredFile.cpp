#include "recover/RecoveredFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr size_t kCopyBuffer = 4u << 20;

bool WriteAll(int fd, std::span<const unsigned char> bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        bytes = bytes.subspan(static_cast<size_t>(written));
    }
    return true;
}

} // namespace

bool WriteRecoveredFile(ByteSource& cut, uint64_t mediaBegin, uint64_t mediaEnd,
                        std::span<const unsigned char> head, const std::string& path,
                        std::string& why) {
    const std::string partial = path + ".part";
    // A stale NAME.part of a run that was killed goes; a link under that name is removed,
    // never followed, so nothing outside it is overwritten.
    ::unlink(partial.c_str());
    const int fd =
        ::open(partial.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) {
        why = partial + ": " + std::strerror(errno);
        return false;
    }
    const uint64_t mediaSize = kMediaHeaderLength + (mediaEnd - mediaBegin);
    unsigned char header[kMediaHeaderLength] = {0, 0, 0, 1, 'm', 'd', 'a', 't'};
    for (int i = 0; i < 8; ++i) {
        header[8 + i] = static_cast<unsigned char>(mediaSize >> (56 - 8 * i));
    }
    bool ok = WriteAll(fd, head) && WriteAll(fd, header);
    for (uint64_t at = mediaBegin; ok && at < mediaEnd;) {
        const std::span<const unsigned char> bytes =
            cut.Read(at, static_cast<size_t>(std::min<uint64_t>(kCopyBuffer, mediaEnd - at)));
        if (bytes.empty()) {
            why = "the clip could not be read to its end";
            ok = false;
            break;
        }
        ok = WriteAll(fd, bytes);
        at += bytes.size();
    }
    if (ok && why.empty() && ::fsync(fd) != 0) {
        ok = false;
    }
    if (!ok && why.empty()) {
        why = partial + ": " + std::strerror(errno);
    }
    if (::close(fd) != 0 && ok) {
        why = partial + ": " + std::strerror(errno);
        ok = false;
    }
    if (ok && ::rename(partial.c_str(), path.c_str()) != 0) {
        why = path + ": " + std::strerror(errno);
        ok = false;
    }
    if (!ok) {
        ::unlink(partial.c_str());
    }
    return ok;
}
