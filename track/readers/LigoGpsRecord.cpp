#include "track/readers/LigoGpsRecord.h"

#include "track/UtcTime.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <vector>

namespace {

constexpr std::string_view kSlotMark = "####";
constexpr size_t kCountAt = 4;
constexpr size_t kCipherAt = 8;
constexpr size_t kCounterBytes = 4;
constexpr unsigned char kSpace = 0x20;
constexpr double kKnotsToKmh = 1.852;
// The scrambling firmwares also scale their knots by this rather than by 1.852.
constexpr double kScrambledKnotsToKmh = 1.85407333;
constexpr double kMaxLatitude = 90.0;
constexpr double kMaxLongitude = 180.0;

// The three-byte groups: which of the four output bytes is a space, and the bits of the
// steering byte each stored byte lacks. The steering byte's top three bits pick the row.
struct GroupForm {
    unsigned steering;
    size_t space;
    std::array<unsigned char, 3> bits;
};
constexpr std::array<GroupForm, 4> kGroupForms{{
    {0x40, 0, {0x01, 0x06, 0x18}},
    {0x60, 1, {0x03, 0x04, 0x18}},
    {0x80, 2, {0x03, 0x0c, 0x10}},
    {0xa0, 3, {0x01, 0x06, 0x18}},
}};

uint32_t LittleEndian32(std::span<const unsigned char> bytes, size_t at) {
    return static_cast<uint32_t>(bytes[at]) | static_cast<uint32_t>(bytes[at + 1]) << 8 |
           static_cast<uint32_t>(bytes[at + 2]) << 16 | static_cast<uint32_t>(bytes[at + 3]) << 24;
}

std::optional<double> Number(std::string_view text) {
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
    }
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

std::vector<std::string_view> Words(std::string_view text) {
    std::vector<std::string_view> words;
    size_t at = 0;
    while (at < text.size()) {
        const size_t start = text.find_first_not_of(" \t\r\n", at);
        if (start == std::string_view::npos) {
            break;
        }
        const size_t end = std::min(text.find_first_of(" \t\r\n", start), text.size());
        words.push_back(text.substr(start, end - start));
        at = end;
    }
    return words;
}

std::optional<int64_t> DateAndTime(std::string_view date, std::string_view time) {
    if (date.size() != 10 || time.size() != 8 || date[4] != '/' || date[7] != '/' ||
        time[2] != ':' || time[5] != ':') {
        return std::nullopt;
    }
    const auto field = [](std::string_view text, size_t at, size_t count) {
        int value = -1;
        const auto [end, error] =
            std::from_chars(text.data() + at, text.data() + at + count, value);
        return error == std::errc() && end == text.data() + at + count ? value : -1;
    };
    return UtcSeconds(field(date, 0, 4), field(date, 5, 2), field(date, 8, 2), field(time, 0, 2),
                      field(time, 3, 2), field(time, 6, 2));
}

// "N:31.285065": the hemisphere letter (or '?'), then the magnitude, signed on some models.
struct Coordinate {
    char hemisphere;
    double value;
};

std::optional<Coordinate> CoordinateWord(std::string_view word, std::string_view letters) {
    if (word.size() < 3 || word[1] != ':' || letters.find(word[0]) == std::string_view::npos) {
        return std::nullopt;
    }
    const std::optional<double> value = Number(word.substr(2));
    if (!value) {
        return std::nullopt;
    }
    return Coordinate{word[0], *value};
}

double DegreesOfNmea(double ddmm) {
    const double degrees = std::trunc(ddmm / 100.0);
    return degrees + (ddmm - degrees * 100.0) / 60.0;
}

bool StartsWithThreeDigits(std::string_view word) {
    const std::string_view magnitude = word.substr(word.size() > 2 && word[2] == '-' ? 3 : 2);
    return magnitude.size() >= 3 && std::all_of(magnitude.begin(), magnitude.begin() + 3,
                                                [](char c) { return c >= '0' && c <= '9'; });
}

} // namespace

std::optional<size_t> LigoBlockAt(std::span<const unsigned char> record) {
    constexpr size_t kBoxHeader = 8;
    for (const size_t at : {size_t{0}, kBoxHeader}) {
        if (record.size() >= at + kLigoMagic.size() &&
            std::equal(
                kLigoMagic.begin(), kLigoMagic.end(), record.begin() + at,
                [](char a, unsigned char b) { return static_cast<unsigned char>(a) == b; })) {
            return at;
        }
    }
    return std::nullopt;
}

bool LigoCoordinatesPlain(std::span<const unsigned char> block) {
    if (block.size() < kLigoHeaderBytes) {
        return false;
    }
    // Seen on the BlueSkySea DV688 (1) and others (0x14).
    return block[12] == 0 && block[13] == 0 && block[14] == 0 &&
           (block[15] == 0x01 || block[15] == 0x14);
}

std::optional<std::string> DecryptLigoSlot(std::span<const unsigned char> slot) {
    if (slot.size() < kCipherAt ||
        !std::equal(kSlotMark.begin(), kSlotMark.end(), slot.begin(),
                    [](char a, unsigned char b) { return static_cast<unsigned char>(a) == b; })) {
        return std::nullopt;
    }
    const uint32_t count = LittleEndian32(slot, kCountAt);
    if (count < kCounterBytes || count > slot.size() - kCipherAt) {
        return std::nullopt;
    }
    const std::span<const unsigned char> in = slot.subspan(kCipherAt, count);
    std::string out;
    size_t i = 0;
    while (i < in.size()) {
        const unsigned steering = in[i++];
        const unsigned form = steering & 0xe0;
        if (form == 0x00) {
            if (i == in.size()) {
                return std::nullopt;
            }
            out.push_back(static_cast<char>(in[i++] | (steering & 0x13)));
        } else if (form >= 0xc0) {
            if (in.size() - i < 4) {
                return std::nullopt;
            }
            out.push_back(static_cast<char>((in[i] | (steering & 0x01)) ^ kSpace));
            out.push_back(static_cast<char>((in[i + 1] | (steering & 0x02)) ^ kSpace));
            out.push_back(static_cast<char>((in[i + 2] | (steering & 0x0c)) ^ kSpace));
            // The last byte takes its bits after the flip, not before.
            out.push_back(static_cast<char>((in[i + 3] ^ kSpace) | (steering & 0x30)));
            i += 4;
        } else {
            const auto* row = std::find_if(kGroupForms.begin(), kGroupForms.end(),
                                           [&](const GroupForm& g) { return g.steering == form; });
            if (row == kGroupForms.end() || in.size() - i < 3) {
                return std::nullopt;
            }
            size_t stored = 0;
            for (size_t k = 0; k < 4; ++k) {
                if (k == row->space) {
                    out.push_back(static_cast<char>(kSpace));
                    continue;
                }
                const unsigned bits = steering & row->bits[stored];
                out.push_back(static_cast<char>((in[i + stored] | bits) ^ kSpace));
                ++stored;
            }
            i += 3;
        }
    }
    return out;
}

std::array<double, 2> UnscrambleLigo(double latitude, double longitude, double scale) {
    const double latTens = std::trunc(latitude / 10.0) * 10.0;
    const double lonTens = std::trunc(longitude / 10.0) * 10.0;
    return {latTens + (longitude - lonTens) * scale, lonTens + (latitude - latTens) * scale};
}

std::optional<LigoGpsFix> ParseLigoText(std::string_view decrypted, bool plain) {
    if (decrypted.size() < kCounterBytes) {
        return std::nullopt;
    }
    std::string_view text = decrypted.substr(kCounterBytes);
    text = text.substr(0, text.find('\0'));
    const std::vector<std::string_view> words = Words(text);
    if (words.size() < 5) {
        return std::nullopt;
    }
    const std::optional<int64_t> utc = DateAndTime(words[0], words[1]);
    const std::optional<Coordinate> lat = CoordinateWord(words[2], "NS?");
    const std::optional<Coordinate> lon = CoordinateWord(words[3], "EW?");
    const std::optional<double> speed = Number(words[4]);
    if (!utc || !lat || !lon || !speed || *speed < 0.0) {
        return std::nullopt;
    }
    double latitude = std::fabs(lat->value);
    double longitude = std::fabs(lon->value);
    double speedScale = plain ? kKnotsToKmh : kScrambledKnotsToKmh;
    // Three whole digits of latitude can only be degrees and minutes; the one firmware seen
    // writing them gave its speed in km/h.
    if (StartsWithThreeDigits(words[2])) {
        latitude = DegreesOfNmea(latitude);
        longitude = DegreesOfNmea(longitude);
        speedScale = 1.0;
    }
    if (!plain) {
        const auto [la, lo] = UnscrambleLigo(latitude, longitude, kLigoCoordinateScale);
        latitude = la;
        longitude = lo;
    }
    if (latitude > kMaxLatitude || longitude > kMaxLongitude) {
        return std::nullopt;
    }
    LigoGpsFix fix;
    fix.utc = *utc;
    // Some models sign the coordinate and leave its letter at N or E.
    fix.latitude = lat->hemisphere == 'S' || lat->value < 0.0 ? -latitude : latitude;
    fix.longitude = lon->hemisphere == 'W' || lon->value < 0.0 ? -longitude : longitude;
    fix.speedKmh = *speed * speedScale;
    std::array<std::optional<double>, 3> g;
    for (size_t w = 5; w < words.size(); ++w) {
        const std::string_view word = words[w];
        if (word.size() < 3 || word[1] != ':') {
            continue;
        }
        const std::optional<double> value = Number(word.substr(2));
        if (word[0] == 'A') {
            fix.course = value;
        } else if (word[0] >= 'x' && word[0] <= 'z') {
            g[static_cast<size_t>(word[0] - 'x')] = value;
        }
    }
    if (g[0] && g[1] && g[2]) {
        fix.accel = std::array<double, 3>{*g[0], *g[1], *g[2]};
    }
    return fix;
}

LigoSlot ReadLigoSlot(std::span<const unsigned char> slot, bool plain) {
    LigoSlot result;
    if (std::all_of(slot.begin(), slot.end(), [](unsigned char b) { return b == 0; })) {
        return result;
    }
    const std::optional<std::string> decrypted = DecryptLigoSlot(slot);
    const std::optional<LigoGpsFix> fix =
        decrypted ? ParseLigoText(*decrypted, plain) : std::nullopt;
    if (!fix) {
        result.kind = LigoSlot::Kind::Damaged;
        return result;
    }
    result.kind = LigoSlot::Kind::Fix;
    result.fix = *fix;
    return result;
}
