// A clip file opened for reading with pread into one reusable buffer. Unlike a mapping, a
// file that shrinks or a card pulled while it is read gives short reads, never a signal,
// so a scan over a camera's card ends with what it found instead of killing the player.
#pragma once

#include <memory>
#include <string>

#include "track/ByteSource.h"

class RingFileReader;

class ClipFile : public ByteSource {
public:
    ClipFile();
    ~ClipFile() override;
    ClipFile(const ClipFile&) = delete;
    ClipFile& operator=(const ClipFile&) = delete;

    // Opens an existing regular file read-only; false, with errno in LastError(), otherwise.
    bool Open(const std::string& path);
    void Close();

    uint64_t Length() const override { return m_length; }

    // Reads until `count` bytes, the end of the file, or an error (a vanished device gives
    // EIO, kept in LastError()); what was read before either is given.
    std::span<const unsigned char> Read(uint64_t offset, size_t count) override;

    // Many ranges through a few system calls where the kernel allows; any range the batch
    // did not read whole is read again by Read, so the bytes are the same either way.
    void ReadEach(std::span<const ByteRange> ranges,
                  const std::function<void(size_t, std::span<const unsigned char>)>& take) override;

    // The same open file (a duplicate descriptor, so it stays readable if the path goes)
    // with its own buffer, and the length this one was opened with.
    std::unique_ptr<ByteSource> Twin() override;

    // From the file system's record of holes (SEEK_DATA / SEEK_HOLE).
    std::vector<FileExtent> DataExtents() override;

    int LastError() const { return m_error; }

private:
    int m_fd = -1;
    uint64_t m_length = 0;
    int m_error = 0;
    std::vector<unsigned char> m_buffer;
    std::unique_ptr<RingFileReader> m_ring;
    std::vector<unsigned char> m_batch;
    std::vector<long> m_batchResults;
};
