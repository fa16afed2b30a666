#include "track/CMemMapFile.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

CMemMapFile::~CMemMapFile() {
    Unmap();
}

bool CMemMapFile::Map(const std::string& path, bool writable, uint64_t offset, uint64_t length) {
    std::lock_guard<std::mutex> guard(m_memberLock);
    UnmapLocked();
    auto fail = [this](int error) {
        UnmapLocked();
        m_error = error;
        return false;
    };

    m_fd = ::open(path.c_str(), (writable ? O_RDWR : O_RDONLY) | O_CLOEXEC);
    if (m_fd < 0) {
        return fail(errno);
    }
    struct stat info {};
    if (::fstat(m_fd, &info) != 0) {
        return fail(errno);
    }
    if (!S_ISREG(info.st_mode)) {
        return fail(EINVAL);
    }
    m_fileLength = static_cast<uint64_t>(info.st_size);
    if (offset >= m_fileLength) {
        return fail(EINVAL);
    }
    if (length == 0 || length > m_fileLength - offset) {
        length = m_fileLength - offset;
    }
    // mmap wants a page-aligned offset; map from the page start and point past the slack.
    const auto page = static_cast<uint64_t>(::sysconf(_SC_PAGESIZE));
    const uint64_t aligned = offset - offset % page;
    const uint64_t slack = offset - aligned;
    if (length + slack > SIZE_MAX) {
        return fail(EFBIG);
    }
    m_mappingLength = static_cast<size_t>(length + slack);
    void* mapping = ::mmap(nullptr, m_mappingLength, writable ? PROT_READ | PROT_WRITE : PROT_READ,
                           MAP_SHARED, m_fd, static_cast<off_t>(aligned));
    if (mapping == MAP_FAILED) {
        m_mappingLength = 0;
        return fail(errno);
    }
    m_mapping = mapping;
    m_writable = writable;
    m_view = static_cast<unsigned char*>(mapping) + slack;
    m_offset = offset;
    m_length = length;
    m_error = 0;
    return true;
}

std::vector<FileExtent> CMemMapFile::DataExtents() {
    std::lock_guard<std::mutex> guard(m_memberLock);
    std::vector<FileExtent> extents;
    if (m_view == nullptr) {
        return extents;
    }
    const uint64_t end = m_offset + m_length;
    uint64_t at = m_offset;
    while (at < end) {
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
        const uint64_t from = std::max<uint64_t>(static_cast<uint64_t>(data), m_offset);
        const uint64_t to = std::min<uint64_t>(static_cast<uint64_t>(hole), end);
        if (from < to) {
            extents.push_back({from - m_offset, to - m_offset});
        }
        at = std::max<uint64_t>(static_cast<uint64_t>(hole), at + 1);
    }
    if (extents.empty()) {
        // All holes: nothing to search, but an empty list means "search everything".
        extents.push_back({0, 0});
    }
    return extents;
}

const unsigned char* CMemMapFile::Lock(std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> guard(m_memberLock);
    if (m_view == nullptr) {
        m_error = EINVAL;
        return nullptr;
    }
    guard.unlock();
    const bool acquired =
        timeout.count() < 0 ? (m_mutex.lock(), true) : m_mutex.try_lock_for(timeout);
    guard.lock();
    if (!acquired) {
        m_error = ETIMEDOUT;
        return nullptr;
    }
    m_locked = true;
    return m_view;
}

void CMemMapFile::Unlock() {
    std::lock_guard<std::mutex> guard(m_memberLock);
    if (m_locked) {
        m_locked = false;
        m_mutex.unlock();
    }
}

void CMemMapFile::Unmap() {
    std::lock_guard<std::mutex> guard(m_memberLock);
    UnmapLocked();
}

void CMemMapFile::UnmapLocked() {
    if (m_locked) {
        m_locked = false;
        m_mutex.unlock();
    }
    if (m_mapping != nullptr) {
        if (m_writable) {
            ::msync(m_mapping, m_mappingLength, MS_SYNC);
        }
        ::munmap(m_mapping, m_mappingLength);
    }
    if (m_fd >= 0) {
        ::close(m_fd);
    }
    m_fd = -1;
    m_mapping = nullptr;
    m_mappingLength = 0;
    m_writable = false;
    m_view = nullptr;
    m_offset = 0;
    m_length = 0;
    m_fileLength = 0;
}
