// A file mapped into memory, read-only or read-write, with 64-bit offsets. The mutex
// serialises users of one mapping that share it between threads; the member lock guards
// the object's own state.
#pragma once

#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "track/FileExtent.h"

class CMemMapFile {
public:
    CMemMapFile() = default;
    ~CMemMapFile();
    CMemMapFile(const CMemMapFile&) = delete;
    CMemMapFile& operator=(const CMemMapFile&) = delete;

    // Opens an existing file and maps `length` bytes from `offset` (length 0: to the end
    // of the file). Any failure undoes what was done, keeps errno in LastError() and gives
    // false. An empty file cannot be mapped.
    bool Map(const std::string& path, bool writable = false, uint64_t offset = 0,
             uint64_t length = 0);

    // Waits for the mutex, at most `timeout` (unlimited when negative), and gives the
    // start of the mapped bytes; null when nothing is mapped (LastError() is EINVAL) or the
    // wait timed out (ETIMEDOUT). Unlock() releases it.
    const unsigned char* Lock(std::chrono::milliseconds timeout = std::chrono::milliseconds(-1));
    void Unlock();

    // Releases the mutex if held, unmaps and closes the file.
    void Unmap();

    // The stretches of the mapped bytes that may hold data, from the file system's record
    // of holes, as offsets into the mapped bytes; one stretch over everything when the
    // file system keeps no such record.
    std::vector<FileExtent> DataExtents();

    uint64_t Length() const { return m_length; }
    uint64_t FileLength() const { return m_fileLength; }
    int LastError() const { return m_error; }

private:
    void UnmapLocked();

    int m_fd = -1;
    void* m_mapping = nullptr;       // what mmap returned, from a page boundary
    size_t m_mappingLength = 0;      // what was passed to mmap
    unsigned char* m_view = nullptr; // the byte at the requested offset
    uint64_t m_offset = 0;
    uint64_t m_length = 0;
    uint64_t m_fileLength = 0;
    int m_error = 0;
    bool m_writable = false;
    bool m_locked = false;
    std::timed_mutex m_mutex;
    std::mutex m_memberLock;
};
