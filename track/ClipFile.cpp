#include "track/ClipFile.h"

#include "track/RingFileReader.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

ClipFile::ClipFile() = default;

ClipFile::~ClipFile() {
    Close();
}

bool ClipFile::Open(const std::string& path) {
    Close();
    // Without O_NONBLOCK a FIFO under a clip's name would hold the open until a writer came.
    m_fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
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
    // io_uring hands back EAGAIN for a read of uncached data of a non-blocking file instead
    // of waiting for the disk: the batches would all fall back to one read at a time.
    ::fcntl(m_fd, F_SETFL, ::fcntl(m_fd, F_GETFL) & ~O_NONBLOCK);
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

void ClipFile::ReadEach(std::span<const ByteRange> ranges,
                        const std::function<void(size_t, std::span<const unsigned char>)>& take) {
    // Below this many ranges setting up the ring costs more than it saves; above the
    // largest count a batch is not worth its buffer.
    constexpr size_t kFewest = 16;
    constexpr size_t kLargest = 64 * 1024;
    if (m_fd >= 0 && ranges.size() >= kFewest && !m_ring) {
        m_ring = std::make_unique<RingFileReader>();
    }
    if (m_fd < 0 || ranges.size() < kFewest || !m_ring->Usable()) {
        ByteSource::ReadEach(ranges, take);
        return;
    }
    std::vector<ByteRange> batch;
    std::vector<size_t> batchIndex;
    auto flush = [&] {
        size_t bytes = 0;
        for (const ByteRange& range : batch) {
            bytes += range.count;
        }
        m_batch.resize(bytes);
        const bool read = m_ring->ReadAll(m_fd, batch, m_batch.data(), m_batchResults);
        size_t at = 0;
        for (size_t i = 0; i < batch.size(); ++i) {
            if (read && m_batchResults[i] == static_cast<long>(batch[i].count)) {
                take(batchIndex[i], {m_batch.data() + at, batch[i].count});
            } else {
                // Short, failed or interrupted: Read says what the file holds there.
                const ByteRange& range = ranges[batchIndex[i]];
                take(batchIndex[i], Read(range.offset, range.count));
            }
            at += batch[i].count;
        }
        batch.clear();
        batchIndex.clear();
    };
    for (size_t i = 0; i < ranges.size(); ++i) {
        const ByteRange& range = ranges[i];
        if (range.offset >= m_length || range.count > kLargest || !m_ring->Usable()) {
            flush();
            take(i, Read(range.offset, range.count));
            continue;
        }
        batch.push_back({range.offset, static_cast<size_t>(std::min<uint64_t>(
                                           range.count, m_length - range.offset))});
        batchIndex.push_back(i);
        if (batch.size() == m_ring->Depth()) {
            flush();
        }
    }
    flush();
}

std::unique_ptr<ByteSource> ClipFile::Twin() {
    if (m_fd < 0) {
        return nullptr;
    }
    const int fd = ::fcntl(m_fd, F_DUPFD_CLOEXEC, 0);
    if (fd < 0) {
        return nullptr;
    }
    auto twin = std::make_unique<ClipFile>();
    twin->m_fd = fd;
    twin->m_length = m_length;
    return twin;
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
