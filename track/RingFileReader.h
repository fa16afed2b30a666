// Reads many small stretches of one file with a few system calls in all rather than one
// each, through the kernel's io_uring. A clip's GPS index names thousands of blocks of about
// a hundred bytes; one pread each costs more in entering the kernel than in copying them.
// Where io_uring is missing or forbidden (old kernels, containers, a sysctl) Usable() is
// false and the caller reads the stretches one by one.
#pragma once

#include <span>
#include <vector>

#include "track/ByteRange.h"

class RingFileReader {
public:
    RingFileReader();
    ~RingFileReader();
    RingFileReader(const RingFileReader&) = delete;
    RingFileReader& operator=(const RingFileReader&) = delete;

    bool Usable() const { return m_ring >= 0; }
    // The most ranges one ReadAll takes.
    size_t Depth() const { return m_entries; }

    // Reads range i of at most Depth() into `into` at the sum of the counts before it, and
    // sets results[i] to the bytes it gave (short at the end of the file) or to -errno.
    // False when the ring itself failed; ranges it did not read are then left at -EIO.
    bool ReadAll(int fd, std::span<const ByteRange> ranges, unsigned char* into,
                 std::vector<long>& results);

private:
    void Release();

    int m_ring = -1;
    unsigned m_entries = 0;
    void* m_rings = nullptr;
    size_t m_ringsLength = 0;
    void* m_entriesMap = nullptr;
    size_t m_entriesLength = 0;
    // Views into m_rings, set up from the kernel's offsets.
    unsigned* m_sqHead = nullptr;
    unsigned* m_sqTail = nullptr;
    unsigned* m_sqMask = nullptr;
    unsigned* m_sqArray = nullptr;
    unsigned* m_cqHead = nullptr;
    unsigned* m_cqTail = nullptr;
    unsigned* m_cqMask = nullptr;
    void* m_cqes = nullptr;
};
