#include "track/RingFileReader.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <linux/io_uring.h>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

// Deep enough that a clip's index of an hour goes in fourteen calls; small enough that
// the rings take a few pages.
constexpr unsigned kDepth = 256;

template <typename T> T* At(void* base, unsigned offset) {
    return reinterpret_cast<T*>(static_cast<char*>(base) + offset);
}

} // namespace

RingFileReader::RingFileReader() {
    io_uring_params params{};
    const long ring = ::syscall(__NR_io_uring_setup, kDepth, &params);
    if (ring < 0) {
        return;
    }
    m_ring = static_cast<int>(ring);
    // Kernels before 5.4 map the two rings apart; they are old enough to do without.
    if ((params.features & IORING_FEAT_SINGLE_MMAP) == 0) {
        ::close(m_ring);
        m_ring = -1;
        return;
    }
    m_entries = params.sq_entries;
    m_ringsLength = std::max<size_t>(params.sq_off.array + params.sq_entries * sizeof(unsigned),
                                     params.cq_off.cqes + params.cq_entries * sizeof(io_uring_cqe));
    m_rings = ::mmap(nullptr, m_ringsLength, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_POPULATE,
                     m_ring, IORING_OFF_SQ_RING);
    m_entriesLength = params.sq_entries * sizeof(io_uring_sqe);
    m_entriesMap = ::mmap(nullptr, m_entriesLength, PROT_READ | PROT_WRITE,
                          MAP_SHARED | MAP_POPULATE, m_ring, IORING_OFF_SQES);
    if (m_rings == MAP_FAILED || m_entriesMap == MAP_FAILED) {
        m_rings = m_rings == MAP_FAILED ? nullptr : m_rings;
        m_entriesMap = m_entriesMap == MAP_FAILED ? nullptr : m_entriesMap;
        Release();
        return;
    }
    m_sqHead = At<unsigned>(m_rings, params.sq_off.head);
    m_sqTail = At<unsigned>(m_rings, params.sq_off.tail);
    m_sqMask = At<unsigned>(m_rings, params.sq_off.ring_mask);
    m_sqArray = At<unsigned>(m_rings, params.sq_off.array);
    m_cqHead = At<unsigned>(m_rings, params.cq_off.head);
    m_cqTail = At<unsigned>(m_rings, params.cq_off.tail);
    m_cqMask = At<unsigned>(m_rings, params.cq_off.ring_mask);
    m_cqes = At<void>(m_rings, params.cq_off.cqes);
}

RingFileReader::~RingFileReader() {
    Release();
}

void RingFileReader::Release() {
    if (m_entriesMap != nullptr) {
        ::munmap(m_entriesMap, m_entriesLength);
    }
    if (m_rings != nullptr) {
        ::munmap(m_rings, m_ringsLength);
    }
    if (m_ring >= 0) {
        ::close(m_ring);
    }
    m_entriesMap = nullptr;
    m_rings = nullptr;
    m_ring = -1;
    m_entries = 0;
}

bool RingFileReader::ReadAll(int fd, std::span<const ByteRange> ranges, unsigned char* into,
                             std::vector<long>& results) {
    if (!Usable() || ranges.size() > m_entries) {
        return false;
    }
    results.assign(ranges.size(), -EIO);
    auto* entries = static_cast<io_uring_sqe*>(m_entriesMap);
    const unsigned first = *m_sqTail; // only this thread moves the tail
    unsigned tail = first;
    size_t at = 0;
    for (size_t i = 0; i < ranges.size(); ++i) {
        if (ranges[i].count > UINT_MAX) {
            return false;
        }
        const unsigned slot = tail & *m_sqMask;
        io_uring_sqe& entry = entries[slot];
        std::memset(&entry, 0, sizeof entry);
        entry.opcode = IORING_OP_READ;
        entry.fd = fd;
        entry.addr = reinterpret_cast<uint64_t>(into + at);
        entry.len = static_cast<unsigned>(ranges[i].count);
        entry.off = ranges[i].offset;
        entry.user_data = i;
        m_sqArray[slot] = slot;
        ++tail;
        at += ranges[i].count;
    }
    __atomic_store_n(m_sqTail, tail, __ATOMIC_RELEASE);

    // Once a read is in, the kernel may write into `into` until it completes, so this waits
    // for every read that went in, whatever else happens.
    size_t expected = ranges.size();
    size_t completed = 0;
    bool refused = false;
    while (completed < expected) {
        const unsigned unsubmitted = tail - __atomic_load_n(m_sqHead, __ATOMIC_ACQUIRE);
        const long entered = ::syscall(__NR_io_uring_enter, m_ring, unsubmitted, 1,
                                       IORING_ENTER_GETEVENTS, nullptr, 0);
        if (entered < 0 && errno != EINTR && errno != EAGAIN && errno != EBUSY) {
            if (refused) {
                // Not even waiting works: closing the ring cancels what is still in.
                Release();
                return false;
            }
            // The kernel refuses only a malformed request: take back the reads it did not
            // take, wait for those it did, and leave the rest to the caller.
            refused = true;
            tail = __atomic_load_n(m_sqHead, __ATOMIC_ACQUIRE);
            __atomic_store_n(m_sqTail, tail, __ATOMIC_RELEASE);
            expected = tail - first;
            continue;
        }
        unsigned head = *m_cqHead;
        const unsigned cqTail = __atomic_load_n(m_cqTail, __ATOMIC_ACQUIRE);
        for (; head != cqTail; ++head) {
            const auto& done = static_cast<const io_uring_cqe*>(m_cqes)[head & *m_cqMask];
            if (done.user_data < results.size()) {
                results[done.user_data] = done.res;
            }
            ++completed;
        }
        __atomic_store_n(m_cqHead, head, __ATOMIC_RELEASE);
    }
    return !refused;
}
