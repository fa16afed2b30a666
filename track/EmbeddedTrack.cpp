#include "track/EmbeddedTrack.h"

#include "track/FixedDecimal.h"
#include "track/GpsIndex.h"

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

EmbeddedBlocks ReadEmbeddedBlocks(ByteSource& source) {
    EmbeddedBlocks found;
    std::vector<FreeGpsBlock>& blocks = found.blocks;
    const std::optional<std::vector<GpsIndexEntry>> index = ReadGpsIndex(source);
    if (index) {
        const std::optional<uint64_t> missing = ReadIndexedBlocks(source, *index, blocks);
        if (!missing && !blocks.empty()) {
            return found; // only the indexed blocks are read, however long the clip
        }
        found.damagedAt = missing;
        found.damage = missing
                           ? "its GPS index names no block at offset " + std::to_string(*missing)
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
    return found;
}
