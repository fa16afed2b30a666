#include "track/TextBlockLayouts.h"

#include "track/CameraBlockLayouts.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <optional>
#include <string_view>

namespace {

// Offsets in a box count from its size field, 4 bytes before the marker.
constexpr size_t kMarkerInBox = 4;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsUpper(char c) {
    return c >= 'A' && c <= 'Z';
}

bool AllDigits(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), IsDigit);
}

int DigitsValue(std::string_view digits) {
    int value = 0;
    for (char c : digits) {
        value = value * 10 + (c - '0');
    }
    return value;
}

// "ddmm.mmmm" as a receiver prints it: digits, a point, digits, and nothing else.
std::optional<double> NmeaAngleText(std::string_view text) {
    const size_t point = text.find('.');
    if (point == std::string_view::npos || !AllDigits(text.substr(0, point)) ||
        !AllDigits(text.substr(point + 1))) {
        return std::nullopt;
    }
    double value = 0.0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec != std::errc() || result.ptr != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

// A decimal number field; empty or anything else gives nothing.
std::optional<double> NumberText(std::string_view text) {
    double value = 0.0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || result.ec != std::errc() || result.ptr != text.data() + text.size() ||
        !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

// Degrees from a ddmm.mmmm (or dddmm.mmmm) value below `limit` (9000 or 18000), exactly
// rather than from printed text: these layouts store the digits themselves. Minutes of 60
// or more are no position.
std::optional<double> DegreesFromMinutes(double value, double limit) {
    if (!(value >= 0.0) || !(value < limit)) {
        return std::nullopt;
    }
    const double degrees = std::floor(value / 100);
    const double minutes = value - degrees * 100;
    if (!(minutes < 60.0)) {
        return std::nullopt;
    }
    return degrees + minutes / 60;
}

// Sets the fix from the two values and their hemisphere letters, or leaves the block
// without one.
void SetTextPosition(FreeGpsBlock& block, std::optional<double> latValue, char ns,
                     std::optional<double> lonValue, char ew) {
    block.status = 'V';
    if (!latValue || !lonValue || (ns != 'N' && ns != 'S') || (ew != 'E' && ew != 'W')) {
        return;
    }
    const std::optional<double> latitude = DegreesFromMinutes(*latValue, 9000.0);
    const std::optional<double> longitude = DegreesFromMinutes(*lonValue, 18000.0);
    if (!latitude || !longitude) {
        return;
    }
    block.status = 'A';
    block.latitude = *latitude * (ns == 'S' ? -1 : 1);
    block.longitude = *longitude * (ew == 'W' ? -1 : 1);
}

char FirstChar(std::string_view text) {
    return text.size() == 1 ? text.front() : '\0';
}

// The fields of the first sentence of the type ("RMC", "GGA") from any talker in the
// text, up to its checksum or the first byte a receiver does not send.
struct Sentence {
    static constexpr size_t kMaxFields = 16;
    std::array<std::string_view, kMaxFields> fields;
    size_t count = 0;

    std::string_view Field(size_t i) const { return i < count ? fields[i] : std::string_view(); }
};

std::optional<Sentence> FindSentence(std::string_view text, std::string_view type) {
    for (size_t at = text.find(type); at != std::string_view::npos; at = text.find(type, at + 1)) {
        const size_t bodyAt = at + type.size() + 1;
        if (at < 3 || text[at - 3] != '$' || !IsUpper(text[at - 2]) || !IsUpper(text[at - 1]) ||
            bodyAt > text.size() || text[bodyAt - 1] != ',') {
            continue;
        }
        size_t end = bodyAt;
        while (end < text.size() && text[end] >= ' ' && text[end] < 0x7F && text[end] != '*' &&
               text[end] != '$') {
            ++end;
        }
        Sentence sentence;
        std::string_view body = text.substr(bodyAt, end - bodyAt);
        while (sentence.count < Sentence::kMaxFields) {
            const size_t comma = body.find(',');
            sentence.fields[sentence.count++] = body.substr(0, comma);
            if (comma == std::string_view::npos) {
                break;
            }
            body.remove_prefix(comma + 1);
        }
        return sentence;
    }
    return std::nullopt;
}

struct TimeOfDay {
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// "hhmmss" with any decimals of the second after a point.
std::optional<TimeOfDay> TimeText(std::string_view text) {
    if (text.size() < 6 || !AllDigits(text.substr(0, 6)) ||
        (text.size() > 6 &&
         (text[6] != '.' || !std::all_of(text.begin() + 7, text.end(), IsDigit)))) {
        return std::nullopt;
    }
    return TimeOfDay{DigitsValue(text.substr(0, 2)), DigitsValue(text.substr(2, 2)),
                     DigitsValue(text.substr(4, 2))};
}

// RMC: time, status, position, speed in knots, course, date "ddmmyy".
void ReadRmc(const Sentence& rmc, FreeGpsBlock& block) {
    if (FirstChar(rmc.Field(1)) == 'A') {
        SetTextPosition(block, NmeaAngleText(rmc.Field(2)), FirstChar(rmc.Field(3)),
                        NmeaAngleText(rmc.Field(4)), FirstChar(rmc.Field(5)));
    }
    block.speed = KnotsToKmh(NumberText(rmc.Field(6)).value_or(0.0));
    const double course = NumberText(rmc.Field(7)).value_or(0.0);
    block.course = course >= 0.0 && course <= 360.0 ? static_cast<float>(course) : 0.0f;
    const std::optional<TimeOfDay> time = TimeText(rmc.Field(0));
    const std::string_view date = rmc.Field(8);
    if (time && date.size() == 6 && AllDigits(date)) {
        block.utcTime =
            UtcSeconds(2000 + DigitsValue(date.substr(4, 2)), DigitsValue(date.substr(2, 2)),
                       DigitsValue(date.substr(0, 2)), time->hour, time->minute, time->second)
                .value_or(kUnknownUtc);
    }
}

// GGA: a position and a fix quality of 1 to 6, but no date and no speed.
void ReadGga(const Sentence& gga, FreeGpsBlock& block) {
    const char quality = FirstChar(gga.Field(5));
    if (quality >= '1' && quality <= '6') {
        SetTextPosition(block, NmeaAngleText(gga.Field(1)), FirstChar(gga.Field(2)),
                        NmeaAngleText(gga.Field(3)), FirstChar(gga.Field(4)));
    }
}

std::string_view AsText(std::span<const unsigned char> bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

// Signed little-endian 32-bit value at a box offset, 0 when the window ends before it.
int32_t BoxI32(std::span<const unsigned char> fromMarker, size_t boxOffset) {
    const size_t at = boxOffset - kMarkerInBox;
    if (at + 4 > fromMarker.size()) {
        return 0;
    }
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i) {
        value = value << 8 | fromMarker[at + static_cast<size_t>(i)];
    }
    return static_cast<int32_t>(value);
}

// Three "+ddd"/"-ddd" groups from `at` in hundredths of a g.
bool ReadHundredths(std::string_view text, size_t at, FreeGpsBlock& block) {
    double values[3];
    for (size_t i = 0; i < 3; ++i) {
        const std::string_view group = text.substr(std::min(text.size(), at + 4 * i), 4);
        if (group.size() != 4 || (group[0] != '+' && group[0] != '-') ||
            !AllDigits(group.substr(1))) {
            return false;
        }
        values[i] = DigitsValue(group.substr(1)) / 100.0 * (group[0] == '-' ? -1 : 1);
    }
    block.hasSensor = true;
    block.x = values[0];
    block.y = values[1];
    block.z = values[2];
    return true;
}

} // namespace

FreeGpsBlock DecodeAzdomeBlock(std::span<const unsigned char> fromMarker, uint64_t offset) {
    FreeGpsBlock block;
    block.offset = offset;
    block.hasSensor = false;
    // The masked text runs from box offset 18 for at most 0x101 bytes.
    constexpr size_t kTextAt = 18 - kMarkerInBox;
    std::array<char, 0x101> text{};
    const size_t length =
        fromMarker.size() > kTextAt ? std::min(text.size(), fromMarker.size() - kTextAt) : 0;
    for (size_t i = 0; i < length; ++i) {
        text[i] = static_cast<char>(fromMarker[kTextAt + i] ^ 0xAA);
    }
    const std::string_view plain(text.data(), length);
    // From 8: the date and time as 14 digits, a byte, a 15-byte label, then N/S with the
    // latitude as 8 digits and E/W with the longitude as 9, both ddmm.mmmm times 1e4, then
    // the speed in km/h as 8 digits.
    if (plain.size() < 57 || !AllDigits(plain.substr(8, 14)) || !AllDigits(plain.substr(39, 8)) ||
        !AllDigits(plain.substr(48, 9))) {
        return block;
    }
    const auto number = [&](size_t at, size_t count) {
        return DigitsValue(plain.substr(at, count));
    };
    block.utcTime = UtcSeconds(number(8, 4), number(12, 2), number(14, 2), number(16, 2),
                               number(18, 2), number(20, 2))
                        .value_or(kUnknownUtc);
    SetTextPosition(block, number(39, 8) / 1e4, plain[38], number(48, 9) / 1e4, plain[47]);
    if (plain.size() >= 65 && AllDigits(plain.substr(57, 8))) {
        block.speed = static_cast<float>(number(57, 8));
    }
    // The accelerations follow the speed on some models and sit at 173 on others.
    if (!ReadHundredths(plain, 65, block)) {
        ReadHundredths(plain, 173, block);
    }
    return block;
}

FreeGpsBlock DecodeNmeaTextBlock(std::span<const unsigned char> fromMarker, uint64_t offset) {
    FreeGpsBlock block;
    block.offset = offset;
    // Three i32 in 1/256 g at box offset 0x44, whatever the receiver knew.
    block.x = BoxI32(fromMarker, 0x44) / 256.0;
    block.y = BoxI32(fromMarker, 0x48) / 256.0;
    block.z = BoxI32(fromMarker, 0x4C) / 256.0;
    const std::string_view text = AsText(fromMarker);
    if (const std::optional<Sentence> rmc = FindSentence(text, "RMC")) {
        ReadRmc(*rmc, block);
    } else if (const std::optional<Sentence> gga = FindSentence(text, "GGA")) {
        ReadGga(*gga, block);
    }
    return block;
}

FreeGpsBlock DecodeShiftedRmcBlock(std::span<const unsigned char> fromMarker, uint64_t offset) {
    FreeGpsBlock block;
    block.offset = offset;
    block.hasSensor = false;
    // 80 bytes from box offset 0x3C, each stored 16 higher; anything lower is no text.
    constexpr size_t kTextAt = 0x3C - kMarkerInBox;
    std::array<unsigned char, 80> text{};
    const size_t length =
        fromMarker.size() > kTextAt ? std::min(text.size(), fromMarker.size() - kTextAt) : 0;
    for (size_t i = 0; i < length; ++i) {
        const unsigned char stored = fromMarker[kTextAt + i];
        text[i] = stored >= 16 ? static_cast<unsigned char>(stored - 16) : 0;
    }
    if (const std::optional<Sentence> rmc =
            FindSentence(AsText(std::span<const unsigned char>(text.data(), length)), "RMC")) {
        ReadRmc(*rmc, block);
    }
    return block;
}
