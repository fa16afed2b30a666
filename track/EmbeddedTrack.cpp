#include "track/EmbeddedTrack.h"

#include "track/CGSampleStore.h"
#include "track/CMapTrackStore.h"
#include "track/CMemMapFile.h"
#include "track/CSpeedDialModel.h"
#include "track/TrackLine.h"
#include "track/Truncate.h"

#include <charconv>
#include <cstdio>
#include <cstring>
#include <string_view>

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

float FloatAt(const unsigned char* bytes) {
    uint32_t bits = uint32_t{bytes[0]} | uint32_t{bytes[1]} << 8 | uint32_t{bytes[2]} << 16 |
                    uint32_t{bytes[3]} << 24;
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
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
    decoded.x = static_cast<int8_t>(block[96]);
    decoded.y = static_cast<int8_t>(block[100]);
    decoded.z = static_cast<int8_t>(block[104]);
    return decoded;
}

uint64_t ScanFreeGpsBlocks(const unsigned char* data, uint64_t length,
                           const std::function<void(const FreeGpsBlock& block)>& take) {
    uint64_t taken = 0;
    uint64_t p = kFirstBlockSearch;
    // Searching for the whole marker visits the same positions as comparing at every
    // byte, in one pass of the library's search instead of a compare per byte.
    while (p < length && taken <= static_cast<uint64_t>(kMaxTrackSecond)) {
        const void* hit = ::memmem(data + p, length - p, kMarker, kMarkerLength);
        if (hit == nullptr) {
            break;
        }
        const auto at = static_cast<uint64_t>(static_cast<const unsigned char*>(hit) - data);
        if (at + kFreeGpsBlockLength >= length) {
            break; // every later marker lies even closer to the end
        }
        take(DecodeFreeGpsBlock(data + at, at));
        ++taken;
        p = at + kJumpAfterBlock;
    }
    return taken;
}

bool LoadEmbeddedTrack(const std::string& clipPath, const TrackStores& stores) {
    stores.map.Clear();
    stores.chart.ResetTrack(0);
    stores.dial.ClearSpeedRecords();

    CMemMapFile file;
    if (!file.Map(clipPath)) {
        return false;
    }
    const unsigned char* data = file.Lock();
    if (data == nullptr) {
        return false;
    }
    bool anyFix = false;
    int second = 0;
    ScanFreeGpsBlocks(data, file.Length(), [&](const FreeGpsBlock& block) {
        stores.map.PutEntry(second, block.latitude, block.longitude, block.status);
        anyFix = anyFix || block.status == 'A';
        const std::string line = EmbeddedTrackLine(second * 1000, block.x * 2 / 128.0,
                                                   block.y * 2 / 128.0, block.z * 2 / 128.0);
        stores.chart.AddTrackLine(line.c_str());
        stores.dial.SetSpeedRecord(second, TruncateToInt(block.speed), TruncateToInt(block.course));
        ++second;
    });
    file.Unmap();
    return anyFix;
}
