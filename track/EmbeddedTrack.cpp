#include "track/EmbeddedTrack.h"

#include "track/BlackVueTrack.h"
#include "track/CGSampleStore.h"
#include "track/CMapTrackStore.h"
#include "track/CSpeedDialModel.h"
#include "track/ClipFile.h"
#include "track/FixedDecimal.h"
#include "track/GpsIndex.h"
#include "track/Mp4ClipTime.h"
#include "track/NmeaTextTrack.h"
#include "track/TrackLine.h"
#include "track/Truncate.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <string_view>
#include <unordered_set>

namespace {

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

} // namespace

double DegreesFromNmeaValue(double value, int degreeDigits) {
    // The number as "%0*.4f" prints it with width degreeDigits + 7: zeros after the sign
    // for a finite value, blanks before "nan" or "inf".
    const int width = degreeDigits + 7;
    char digits[kFixedTextMax];
    const int length = WriteFixed(digits, value, 4);
    std::string text;
    const int pad = std::max(0, width - length);
    if (!std::isfinite(value)) {
        text.assign(static_cast<size_t>(pad), ' ');
        text.append(digits, static_cast<size_t>(length));
    } else {
        const size_t sign = digits[0] == '-' ? 1 : 0;
        text.assign(digits, sign);
        text.append(static_cast<size_t>(pad), '0');
        text.append(digits + sign, static_cast<size_t>(length) - sign);
    }
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

namespace {

// The blocks, and in `damage` where an index that is there names a block the clip does
// not hold.
std::vector<FreeGpsBlock> ReadBlocks(ByteSource& source, std::string& damage) {
    std::vector<FreeGpsBlock> blocks;
    const std::optional<std::vector<GpsIndexEntry>> index = ReadGpsIndex(source);
    if (index) {
        const std::optional<uint64_t> missing = ReadIndexedBlocks(source, *index, blocks);
        if (!missing && !blocks.empty()) {
            return blocks; // only the indexed blocks are read, however long the clip
        }
        damage = missing ? "its GPS index names no block at offset " + std::to_string(*missing)
                         : "its GPS index is empty";
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

} // namespace

std::vector<FreeGpsBlock> ReadEmbeddedBlocks(ByteSource& source) {
    std::string damage;
    return ReadBlocks(source, damage);
}

bool LoadEmbeddedTrack(const std::string& clipPath, const TrackStores& stores) {
    std::string why;
    return LoadEmbeddedTrack(clipPath, stores, why);
}

bool LoadEmbeddedTrack(const std::string& clipPath, const TrackStores& stores, std::string& why) {
    stores.map.Clear();
    stores.chart.ResetTrack(0);
    stores.dial.ClearSpeedRecords();

    ClipFile file;
    const bool opened = file.Open(clipPath);
    // Every source of the clip's track, read now or later (its logs, its sidecar, the
    // engine's lines), stops at the clip's end.
    const int lastSecond = opened ? LastTrackSecond(file) : kMaxTrackSecond;
    stores.map.SetLastSecond(lastSecond);
    stores.chart.SetLastTrackSecond(lastSecond);
    stores.dial.SetLastSecond(lastSecond);
    if (!opened) {
        why = std::string("cannot open the clip: ") + std::strerror(file.LastError());
        return false;
    }
    std::string damage;
    const std::vector<FreeGpsBlock> blocks = ReadBlocks(file, damage);
    const std::string damaged = damage.empty() ? std::string() : "; " + damage;
    if (blocks.empty()) {
        if (const std::optional<BlackVueTrack> blackVue = ReadBlackVueBoxes(file)) {
            const bool fix = FillBlackVueTrack(*blackVue, stores);
            why = fix ? std::string() : "no valid fix in its BlackVue boxes" + damaged;
            return fix;
        }
        // A text track of NMEA is data the camera put in the clip too, so it comes before
        // every file beside the clip; it is read only when the clip has no blocks, whose
        // G-sensor values it could not give.
        const bool fix = LoadNmeaTextTrack(file, stores);
        why = fix ? std::string()
                  : "no GPS blocks or boxes, and no NMEA text track with a valid fix" + damaged;
        return fix;
    }
    bool anyFix = false;
    int second = 0;
    for (const FreeGpsBlock& block : blocks) {
        if (second > lastSecond) {
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
    why = anyFix ? std::string()
                 : std::to_string(blocks.size()) +
                       (blocks.size() == 1 ? " GPS block" : " GPS blocks") +
                       " without a valid fix" + damaged;
    return anyFix;
}
