#include "track/FreeGpsScan.h"

#include "track/CameraBlockLayouts.h"
#include "track/TrackLine.h"

#include <algorithm>
#include <cstring>
#include <span>
#include <system_error>
#include <thread>
#include <vector>
#if defined(__x86_64__)
#include <immintrin.h>
#elif defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr char kMarker[] = "freeGPS";
constexpr size_t kMarkerLength = sizeof kMarker - 1;

// Positions whose first and last marker bytes both match are candidates, found a vector
// at a time; only those are compared in full. On video data and on zeros alike this runs
// several times faster than a general search. Returns where the vector loop stopped, or
// the marker.
#if defined(__x86_64__)
__attribute__((target("avx2"))) const unsigned char*
FindMarkerAvx2(const unsigned char* p, const unsigned char* to, bool& found) {
    const auto* marker = reinterpret_cast<const unsigned char*>(kMarker);
    const __m256i first = _mm256_set1_epi8(static_cast<char>(marker[0]));
    const __m256i last = _mm256_set1_epi8(static_cast<char>(marker[kMarkerLength - 1]));
    while (to - p >= static_cast<ptrdiff_t>(32 + kMarkerLength - 1)) {
        const __m256i head = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
        const __m256i tail =
            _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + kMarkerLength - 1));
        auto candidates = static_cast<unsigned>(_mm256_movemask_epi8(
            _mm256_and_si256(_mm256_cmpeq_epi8(head, first), _mm256_cmpeq_epi8(tail, last))));
        while (candidates != 0) {
            const unsigned bit = static_cast<unsigned>(__builtin_ctz(candidates));
            if (std::memcmp(p + bit + 1, marker + 1, kMarkerLength - 2) == 0) {
                found = true;
                return p + bit;
            }
            candidates &= candidates - 1;
        }
        p += 32;
    }
    return p;
}

bool HasAvx2() {
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}
#endif

// The first marker in [from, to), or null.
const unsigned char* FindMarker(const unsigned char* from, const unsigned char* to) {
    const auto* marker = reinterpret_cast<const unsigned char*>(kMarker);
    const unsigned char* p = from;
#if defined(__x86_64__)
    if (HasAvx2()) {
        bool found = false;
        p = FindMarkerAvx2(p, to, found);
        if (found) {
            return p;
        }
    }
#endif
#if defined(__SSE2__)
    const __m128i first = _mm_set1_epi8(static_cast<char>(marker[0]));
    const __m128i last = _mm_set1_epi8(static_cast<char>(marker[kMarkerLength - 1]));
    while (to - p >= static_cast<ptrdiff_t>(16 + kMarkerLength - 1)) {
        const __m128i head = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i tail =
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + kMarkerLength - 1));
        auto candidates = static_cast<unsigned>(_mm_movemask_epi8(
            _mm_and_si128(_mm_cmpeq_epi8(head, first), _mm_cmpeq_epi8(tail, last))));
        while (candidates != 0) {
            const unsigned bit = static_cast<unsigned>(__builtin_ctz(candidates));
            if (std::memcmp(p + bit + 1, marker + 1, kMarkerLength - 2) == 0) {
                return p + bit;
            }
            candidates &= candidates - 1;
        }
        p += 16;
    }
#endif
    for (; to - p >= static_cast<ptrdiff_t>(kMarkerLength); ++p) {
        if (std::memcmp(p, marker, kMarkerLength) == 0) {
            return p;
        }
    }
    return nullptr;
}

// How a stretch of the scan ended.
struct StretchEnd {
    uint64_t next = 0;    // where the search goes on
    bool last = false;    // nothing further can be taken: no data left, a short read, or a
                          // marker too near the end, after which every later one is nearer
    bool stopped = false; // `take` asked to stop
    bool failed = false;  // a read came back short: the end of the file, or of what a
                          // failing card gives, at the search position `next`
};

// Follows the rule from the search position `p`, taking each block whose marker starts
// before `limit`, until the next search would start at or past `limit`.
StretchEnd ScanStretch(ByteSource& source, const std::vector<FileExtent>& searched, uint64_t p,
                       uint64_t limit, const std::function<bool(const FreeGpsBlock&)>& take) {
    const uint64_t length = source.Length();
    limit = std::min(limit, length);
    auto extent = searched.begin();
    // Searching for the whole marker finds the same positions as comparing at every byte.
    while (p < limit) {
        while (extent != searched.end() && std::min(extent->end, length) <= p) {
            ++extent;
        }
        if (extent == searched.end()) {
            return {p, true};
        }
        const uint64_t from = std::max(p, extent->begin);
        const uint64_t to = std::min(extent->end, length);
        if (from >= to) {
            ++extent;
            continue;
        }
        if (from >= limit) {
            return {limit};
        }
        // Markers that start in [from, chunkEnd) and lie inside the stretch; a marker cut
        // by the end of a stretch would run into zeros, so none is missed. The read also
        // holds the block after a marker that starts just before chunkEnd.
        const uint64_t chunkEnd = std::min({to, from + kScanChunkLength, limit});
        const uint64_t searchEnd = std::min(to, chunkEnd + kMarkerLength - 1);
        const uint64_t wanted = std::min(length, chunkEnd + kFreeGpsBlockLength) - from;
        const std::span<const unsigned char> bytes = source.Read(from, wanted);
        const bool shrank = bytes.size() < wanted;
        const unsigned char* hit = FindMarker(
            bytes.data(), bytes.data() + std::min<uint64_t>(searchEnd - from, bytes.size()));
        if (hit == nullptr) {
            if (shrank) {
                return {.next = p, .last = true, .failed = true};
            }
            p = chunkEnd;
            continue;
        }
        const auto inChunk = static_cast<uint64_t>(hit - bytes.data());
        const uint64_t at = from + inChunk;
        if (at + kFreeGpsBlockLength >= length) {
            return {p, true};
        }
        if (inChunk + kFreeGpsBlockLength > bytes.size()) {
            return {.next = p, .last = true, .failed = true}; // the file was cut inside this block
        }
        p = at + kJumpAfterBlock;
        if (!take(ReadCameraBlock(
                source, at,
                std::span<const unsigned char, kCameraBlockLength>(hit, kCameraBlockLength)))) {
            return {p, false, true};
        }
    }
    return {p};
}

// One part of a parallel scan: the rule followed from `begin`, as if a block had just
// sent the search there, while the search starts before `end`.
struct Part {
    uint64_t begin = 0;
    uint64_t end = 0;
    std::vector<FreeGpsBlock> blocks;
    StretchEnd ending;
};

// Parts that share the data to search about evenly, at most `wanted` of them and none
// with less than kScanPartLength; one part when the clip is not worth splitting.
std::vector<Part> SplitIntoParts(const std::vector<FileExtent>& searched, uint64_t length,
                                 unsigned wanted) {
    uint64_t total = 0;
    for (const FileExtent& extent : searched) {
        const uint64_t from = std::max(extent.begin, kFirstBlockSearch);
        const uint64_t to = std::min(extent.end, length);
        total += to > from ? to - from : 0;
    }
    const auto count = static_cast<unsigned>(
        std::clamp<uint64_t>(total / kScanPartLength, 1, std::max(wanted, 1u)));
    std::vector<Part> parts(1);
    parts.front().begin = kFirstBlockSearch;
    uint64_t before = 0; // data bytes in the extents already passed
    for (const FileExtent& extent : searched) {
        const uint64_t from = std::max(extent.begin, kFirstBlockSearch);
        const uint64_t to = std::min(extent.end, length);
        if (to <= from) {
            continue;
        }
        // Each boundary that falls in this extent starts a part there.
        while (parts.size() < count) {
            const uint64_t share = total / count * parts.size();
            if (share >= before + (to - from)) {
                break;
            }
            const uint64_t at = from + (share > before ? share - before : 0);
            if (at > parts.back().begin) {
                parts.back().end = at;
                parts.emplace_back().begin = at;
            } else {
                break;
            }
        }
        before += to - from;
    }
    parts.back().end = length;
    return parts;
}

// Hands `take` the blocks and says whether the scan may go on: the stores cap a clip at
// kMaxTrackSecond + 1 seconds.
class BlockSink {
public:
    explicit BlockSink(const std::function<void(const FreeGpsBlock&)>& take) : m_take(take) {}
    bool Put(const FreeGpsBlock& block) {
        m_take(block);
        return ++m_taken <= static_cast<uint64_t>(kMaxTrackSecond);
    }
    uint64_t Taken() const { return m_taken; }

private:
    const std::function<void(const FreeGpsBlock&)>& m_take;
    uint64_t m_taken = 0;
};

// Joins the parts into what one pass from the start finds. A part's blocks are that pass's
// own from the first of them on, once the pass reaches one of them: the rule's next step
// depends only on where the last block was. Where the pass comes into a part beyond the
// part's first block, it searches on from there until it meets one of the part's blocks.
// A part that found no block before a read failed may have read where the pass jumps over
// (a bad stretch of a card after a block): the pass searches that part for itself.
void JoinParts(ByteSource& source, const std::vector<FileExtent>& searched,
               const std::vector<Part>& parts, BlockSink& sink) {
    uint64_t p = kFirstBlockSearch;
    for (const Part& part : parts) {
        size_t from = 0; // the first of the part's blocks the pass reaches
        if (part.blocks.empty() ? part.ending.failed : part.blocks.front().offset < p) {
            bool capped = false;
            from = part.blocks.size();
            const StretchEnd rejoin =
                ScanStretch(source, searched, p, part.end, [&](const FreeGpsBlock& block) {
                    const auto met = std::lower_bound(
                        part.blocks.begin(), part.blocks.end(), block.offset,
                        [](const FreeGpsBlock& b, uint64_t offset) { return b.offset < offset; });
                    if (met != part.blocks.end() && met->offset == block.offset) {
                        from = static_cast<size_t>(met - part.blocks.begin());
                        return false;
                    }
                    capped = !sink.Put(block);
                    return !capped;
                });
            if (capped || rejoin.last) {
                return;
            }
            if (from == part.blocks.size()) {
                p = std::max(rejoin.next, part.end);
                continue;
            }
        }
        // Otherwise no marker lies between the part's start and its first block, and the
        // pass searches on from at or past that start: it finds the same first block.
        for (size_t i = from; i < part.blocks.size(); ++i) {
            if (!sink.Put(part.blocks[i])) {
                return;
            }
        }
        if (part.ending.last || part.ending.stopped) {
            return;
        }
        p = std::max(part.ending.next, part.end);
    }
}

} // namespace

uint64_t ScanFreeGpsBlocks(ByteSource& source,
                           const std::function<void(const FreeGpsBlock& block)>& take,
                           unsigned parts) {
    const std::vector<FileExtent> searched = source.DataExtents();
    BlockSink sink(take);
    std::vector<Part> split = SplitIntoParts(
        searched, source.Length(), parts != 0 ? parts : std::thread::hardware_concurrency());
    std::vector<std::unique_ptr<ByteSource>> twins;
    for (size_t k = 1; k < split.size(); ++k) {
        twins.push_back(source.Twin());
        if (!twins.back()) {
            split.resize(1);
            break;
        }
    }
    if (split.size() == 1) {
        ScanStretch(source, searched, kFirstBlockSearch, source.Length(),
                    [&](const FreeGpsBlock& block) { return sink.Put(block); });
        return sink.Taken();
    }
    auto scanPart = [&searched](ByteSource& reader, Part& part) {
        part.ending =
            ScanStretch(reader, searched, part.begin, part.end, [&part](const FreeGpsBlock& block) {
                part.blocks.push_back(block);
                return part.blocks.size() <= static_cast<size_t>(kMaxTrackSecond);
            });
    };
    std::vector<std::thread> threads;
    std::vector<size_t> inline_;
    for (size_t k = 1; k < split.size(); ++k) {
        try {
            threads.emplace_back(scanPart, std::ref(*twins[k - 1]), std::ref(split[k]));
        } catch (const std::system_error&) {
            inline_.push_back(k); // no thread to be had: this thread searches it too
        }
    }
    scanPart(source, split.front());
    for (const size_t k : inline_) {
        scanPart(*twins[k - 1], split[k]);
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    JoinParts(source, searched, split, sink);
    return sink.Taken();
}
