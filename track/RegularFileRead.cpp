#include "track/RegularFileRead.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <iostream>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

// Closes the descriptor on every way out.
class Descriptor {
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor() {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int Get() const { return m_fd; }

private:
    int m_fd;
};

std::nullopt_t Refused(RegularFileRefusal& refusal, std::string why) {
    refusal.why = std::move(why);
    return std::nullopt;
}

std::string TooLarge(uint64_t maxBytes) {
    return "larger than " + std::to_string(maxBytes) + " bytes";
}

} // namespace

std::optional<std::string> ReadRegularFile(const std::string& path, uint64_t maxBytes,
                                           RegularFileRefusal& refusal) {
    // Without O_NONBLOCK the open of a FIFO waits for a writer; on a regular file it changes
    // nothing.
    const Descriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (fd.Get() < 0) {
        refusal.missing = errno == ENOENT || errno == ENOTDIR;
        return Refused(refusal, std::strerror(errno));
    }
    struct stat info {};
    if (::fstat(fd.Get(), &info) != 0) {
        return Refused(refusal, std::strerror(errno));
    }
    if (!S_ISREG(info.st_mode)) {
        return Refused(refusal, "not a regular file");
    }
    if (static_cast<uint64_t>(info.st_size) > maxBytes) {
        return Refused(refusal, TooLarge(maxBytes));
    }
    std::string bytes;
    bytes.reserve(static_cast<size_t>(info.st_size));
    char chunk[65536];
    for (;;) {
        const ssize_t n = ::read(fd.Get(), chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return Refused(refusal, std::strerror(errno));
        }
        if (n == 0) {
            return bytes;
        }
        // The file may have grown since it was measured.
        if (bytes.size() + static_cast<size_t>(n) > maxBytes) {
            return Refused(refusal, TooLarge(maxBytes));
        }
        bytes.append(chunk, static_cast<size_t>(n));
    }
}

std::optional<std::string> ReadRegularFile(const std::string& path, uint64_t maxBytes) {
    RegularFileRefusal refusal;
    std::optional<std::string> bytes = ReadRegularFile(path, maxBytes, refusal);
    if (!bytes) {
        SayRefused(path, refusal);
    }
    return bytes;
}

void SayRefused(const std::string& path, const RegularFileRefusal& refusal) {
    if (!refusal.missing) {
        std::cerr << program_invocation_short_name << ": " << path << ": " << refusal.why
                  << ", not read\n";
    }
}
