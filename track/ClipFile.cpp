#include "track/ClipFile.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

ClipFile::~ClipFile() {
    Close();
}

bool ClipFile::Open(const std::string& path) {
    Close();
    m_fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (m_fd < 0) {
        m_error = errno;
        return false;
    }
    struct stat info {};
    if (::fstat(m_fd, &info) != 0) {
        m_error = errno;
        Close();
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        m_error = EINVAL;
        Close();
        return false;
    }
    m_length = static_cast<uint64_t>(info.st_size);
    m_error = 0;
    return true;
}

void ClipFile::Close() {
    if (m_fd >= 0) {
        ::close(m_fd);
    }
    m_fd = -1;
    m_length = 0;
}

std::span<const unsigned char> ClipFile::Read(uint64_t offset, size_t count) {
    if (m_fd < 0 || offset >= m_length) {
        return {};
    }
    count = static_cast<size_t>(std::min<uint64_t>(count, m_length - offset));
    if (m_buffer.size() < count) {
        m_buffer.resize(count);
    }
    size_t got = 0;
    while (got < count) {
        const ssize_t n =
            ::pread(m_fd, m_buffer.data() + got, count - got, static_cast<off_t>(offset + got));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            m_error = errno;
            break;
        }
        if (n == 0) {
            break; // the file is shorter than when it was opened
        }
        got += static_cast<size_t>(n);
    }
    return {m_buffer.data(), got};
}

std::vector<FileExtent> ClipFile::DataExtents() {
    std::vector<FileExtent> extents;
    if (m_fd < 0) {
        return extents;
    }
    uint64_t at = 0;
    while (at < m_length) {
        const off_t data = ::lseek(m_fd, static_cast<off_t>(at), SEEK_DATA);
        if (data < 0) {
            if (errno == ENXIO) {
                break; // only a hole is left
            }
            return {{0, m_length}};
        }
        const off_t hole = ::lseek(m_fd, data, SEEK_HOLE);
        if (hole < 0) {
            return {{0, m_length}};
        }
        const uint64_t from = static_cast<uint64_t>(data);
        const uint64_t to = std::min<uint64_t>(static_cast<uint64_t>(hole), m_length);
        if (from < to) {
            extents.push_back({from, to});
        }
        at = std::max<uint64_t>(static_cast<uint64_t>(hole), at + 1);
    }
    if (extents.empty()) {
        // All holes: nothing to search, but an empty list would mean "search everything".
        extents.push_back({0, 0});
    }
    return extents;
}
