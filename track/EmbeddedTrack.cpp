#include "track/EmbeddedTrack.h"

#include "track/BlackVueTrack.h"
#include "track/CGSampleStore.h"
#include "track/CMapTrackStore.h"
#include "track/CSpeedDialModel.h"
#include "track/CameraBlockLayouts.h"
#include "track/ClipFile.h"
#include "track/GpsIndex.h"
#include "track/NmeaTextTrack.h"
#include "track/TrackLine.h"
#include "track/Truncate.h"

#include <algorithm>
#include <charconv>
#if defined(__x86_64__)
#include <immintrin.h>
#elif defined(__SSE2__)
#include <emmintrin.h>
#endif
#include <cstdio>
#include <cstring>
#include <string_view>
#include <unordered_set>

namespace {

constexpr char kMarker[] = "freeGPS";
constexpr size_t kMarkerLength = sizeof kMarker - 1;

// The decimal number at the start of the text, 0 when there is none, as atof reads it.
double LeadingNumber(std::string_view text) {
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
    }
    double value = 0.0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    return result.ec == std::errc() ? value : 0.0;
}

uint32_t WordAt(const unsigned char* bytes) {
    return uint32_t{bytes[0]} | uint32_t{bytes[1]} << 8 | uint32_t{bytes[2]} << 16 |
           uint32_t{bytes[3]} << 24;
}

float FloatAt(const unsigned char* bytes) {
    uint32_t bits = uint32_t{bytes[0]} | uint32_t{bytes[1]} << 8 | uint32_t{bytes[2]} << 16 |
                    uint32_t{bytes[3]} << 24;
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

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

} // namespace

double DegreesFromNmeaValue(double value, int degreeDigits) {
    char text[64];
    std::snprintf(text, sizeof text, "%0*.4f", degreeDigits + 7, value);
    const std::string_view printed(text);
    if (printed.size() < static_cast<size_t>(degreeDigits)) {
        return 0.0;
    }
    return LeadingNumber(printed.substr(degreeDigits)) / 60 +
           LeadingNumber(printed.substr(0, degreeDigits));
}

FreeGpsBlock DecodeFreeGpsBlock(const unsigned char* block, uint64_t offset) {
    FreeGpsBlock decoded;
    decoded.offset = offset;
    decoded.status = static_cast<char>(block[56]);
    decoded.latitude = DegreesFromNmeaValue(FloatAt(block + 60), 2);
    if (block[64] == 'S') {
        decoded.latitude = -decoded.latitude;
    }
    decoded.longitude = DegreesFromNmeaValue(FloatAt(block + 68), 3);
    if (block[72] == 'W') {
        decoded.longitude = -decoded.longitude;
    }
    decoded.speed = FloatAt(block + 76);
    decoded.course = FloatAt(block + 80);
    // Signed counts times 2 / 128: 64 counts are 1 g.
    decoded.x = static_cast<int8_t>(block[96]) * 2 / 128.0;
    decoded.y = static_cast<int8_t>(block[100]) * 2 / 128.0;
    decoded.z = static_cast<int8_t>(block[104]) * 2 / 128.0;
    // Time of day at +44, +48, +52 and date (year - 2000, month, day) at +84, +88, +92,
    // 32-bit each; a camera without a clock leaves them 0, which is no date.
    auto field = [&](int at) {
        const uint32_t value = WordAt(block + at);
        return value > 9999 ? -1 : static_cast<int>(value);
    };
    decoded.utcTime = UtcSeconds(field(84) < 0 ? -1 : 2000 + field(84), field(88), field(92),
                                 field(44), field(48), field(52))
                          .value_or(kUnknownUtc);
    return decoded;
}

uint64_t ScanFreeGpsBlocks(ByteSource& source,
                           const std::function<void(const FreeGpsBlock& block)>& take) {
    const uint64_t length = source.Length();
    const std::vector<FileExtent> searched = source.DataExtents();
    uint64_t taken = 0;
    uint64_t p = kFirstBlockSearch;
    auto extent = searched.begin();
    // Searching for the whole marker finds the same positions as comparing at every byte.
    while (p < length && taken <= static_cast<uint64_t>(kMaxTrackSecond)) {
        while (extent != searched.end() && std::min(extent->end, length) <= p) {
            ++extent;
        }
        if (extent == searched.end()) {
            break;
        }
        const uint64_t from = std::max(p, extent->begin);
        const uint64_t to = std::min(extent->end, length);
        if (from >= to) {
            ++extent;
            continue;
        }
        // Markers that start in [from, chunkEnd) and lie inside the stretch; a marker cut
        // by the end of a stretch would run into zeros, so none is missed. The read also
        // holds the block after a marker that starts just before chunkEnd.
        const uint64_t chunkEnd = std::min(to, from + kScanChunkLength);
        const uint64_t searchEnd = std::min(to, chunkEnd + kMarkerLength - 1);
        const uint64_t wanted = std::min(length, chunkEnd + kFreeGpsBlockLength) - from;
        const std::span<const unsigned char> bytes = source.Read(from, wanted);
        const bool shrank = bytes.size() < wanted;
        const unsigned char* hit = FindMarker(
            bytes.data(), bytes.data() + std::min<uint64_t>(searchEnd - from, bytes.size()));
        if (hit == nullptr) {
            if (shrank) {
                break;
            }
            p = chunkEnd;
            continue;
        }
        const auto inChunk = static_cast<uint64_t>(hit - bytes.data());
        const uint64_t at = from + inChunk;
        if (at + kFreeGpsBlockLength >= length) {
            break; // every later marker lies even closer to the end
        }
        if (inChunk + kFreeGpsBlockLength > bytes.size()) {
            break; // the file was cut inside this block
        }
        take(ReadCameraBlock(
            source, at,
            std::span<const unsigned char, kCameraBlockLength>(hit, kCameraBlockLength)));
        ++taken;
        p = at + kJumpAfterBlock;
    }
    return taken;
}

std::vector<FreeGpsBlock> ReadEmbeddedBlocks(ByteSource& source) {
    std::vector<FreeGpsBlock> blocks;
    const std::optional<std::vector<GpsIndexEntry>> index = ReadGpsIndex(source);
    if (index && ReadIndexedBlocks(source, *index, blocks) && !blocks.empty()) {
        return blocks; // only the indexed blocks are read, however long the clip
    }
    // No index, or one that names blocks the clip does not hold: scan, and keep what the
    // index did find, each block once.
    std::unordered_set<uint64_t> seen;
    for (const FreeGpsBlock& block : blocks) {
        seen.insert(block.offset);
    }
    ScanFreeGpsBlocks(source, [&](const FreeGpsBlock& block) {
        if (seen.insert(block.offset).second) {
            blocks.push_back(block);
        }
    });
    if (index) {
        std::stable_sort(
            blocks.begin(), blocks.end(),
            [](const FreeGpsBlock& a, const FreeGpsBlock& b) { return a.offset < b.offset; });
    }
    return blocks;
}

bool LoadEmbeddedTrack(const std::string& clipPath, const TrackStores& stores) {
    stores.map.Clear();
    stores.chart.ResetTrack(0);
    stores.dial.ClearSpeedRecords();

    ClipFile file;
    if (!file.Open(clipPath)) {
        return false;
    }
    const std::vector<FreeGpsBlock> blocks = ReadEmbeddedBlocks(file);
    if (blocks.empty()) {
        if (const std::optional<BlackVueTrack> blackVue = ReadBlackVueBoxes(file)) {
            return FillBlackVueTrack(*blackVue, stores);
        }
        // A text track of NMEA is data the camera put in the clip too, so it comes before
        // every file beside the clip; it is read only when the clip has no blocks, whose
        // G-sensor values it could not give.
        return LoadNmeaTextTrack(file, stores);
    }
    bool anyFix = false;
    int second = 0;
    for (const FreeGpsBlock& block : blocks) {
        if (second > kMaxTrackSecond) {
            break;
        }
        stores.map.PutEntry(second, block.latitude, block.longitude, block.status, block.utcTime);
        anyFix = anyFix || block.status == 'A';
        // A layout without accelerations leaves the chart empty rather than drawing zeros.
        if (block.hasSensor) {
            const std::string line = EmbeddedTrackLine(second * 1000, block.x, block.y, block.z);
            stores.chart.AddTrackLine(line.c_str());
        }
        stores.dial.SetSpeedRecord(second, TruncateToInt(block.speed), TruncateToInt(block.course));
        ++second;
    }
    return anyFix;
}
