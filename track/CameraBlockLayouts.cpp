#include "track/CameraBlockLayouts.h"

#include "track/CMapTrackStore.h"
#include "track/EmbeddedTrack.h"
#include "track/TextBlockLayouts.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace {

// Reads a block by the offsets of its box, which starts 4 bytes before the marker; past the
// bytes at hand it reads zeros, as if the box ended there.
class BoxBytes {
public:
    explicit BoxBytes(std::span<const unsigned char> fromMarker) : m_marker(fromMarker) {}

    unsigned char At(uint64_t boxOffset) const {
        return boxOffset - 4 < m_marker.size() ? m_marker[boxOffset - 4] : 0;
    }
    // Whether the bytes at hand reach to `boxEnd`.
    bool Holds(uint64_t boxEnd) const { return boxEnd - 4 <= m_marker.size(); }
    uint32_t U32(uint64_t boxOffset) const {
        uint32_t value = 0;
        for (int i = 3; i >= 0; --i) {
            value = value << 8 | At(boxOffset + static_cast<uint64_t>(i));
        }
        return value;
    }
    int32_t I32(uint64_t boxOffset) const { return static_cast<int32_t>(U32(boxOffset)); }
    uint32_t U16BE(uint64_t boxOffset) const {
        return uint32_t{At(boxOffset)} << 8 | At(boxOffset + 1);
    }
    int32_t I32BE(uint64_t boxOffset) const {
        return static_cast<int32_t>(U16BE(boxOffset) << 16 | U16BE(boxOffset + 2));
    }
    bool Matches(uint64_t boxOffset, std::string_view bytes) const {
        for (size_t i = 0; i < bytes.size(); ++i) {
            if (At(boxOffset + i) != static_cast<unsigned char>(bytes[i])) {
                return false;
            }
        }
        return true;
    }
    bool Digits(uint64_t boxOffset, uint64_t count) const {
        for (uint64_t i = 0; i < count; ++i) {
            if (At(boxOffset + i) < '0' || At(boxOffset + i) > '9') {
                return false;
            }
        }
        return true;
    }
    float F32(uint64_t boxOffset) const { return std::bit_cast<float>(U32(boxOffset)); }
    double F64(uint64_t boxOffset) const {
        const uint64_t bits = uint64_t{U32(boxOffset + 4)} << 32 | U32(boxOffset);
        return std::bit_cast<double>(bits);
    }
    bool Zeros(uint64_t boxOffset, uint64_t count) const {
        for (uint64_t i = 0; i < count; ++i) {
            if (At(boxOffset + i) != 0) {
                return false;
            }
        }
        return true;
    }
    bool Status(uint64_t boxOffset) const { return At(boxOffset) == 'A' || At(boxOffset) == 'V'; }

    // Hours, minutes and seconds as three 32-bit integers, within a day.
    bool PlausibleTime(uint64_t boxOffset) const {
        return U32(boxOffset) < 24 && U32(boxOffset + 4) < 60 && U32(boxOffset + 8) < 61;
    }
    // Year (since 2000, or absolute), month and day as three 32-bit integers.
    bool PlausibleDate(uint64_t boxOffset) const {
        const uint32_t year = U32(boxOffset);
        return (year < 100 || (year >= 2000 && year < 2100)) && U32(boxOffset + 4) - 1 < 12 &&
               U32(boxOffset + 8) - 1 < 31;
    }
    int64_t UtcTime(uint64_t timeAt, uint64_t dateAt) const {
        if (!PlausibleTime(timeAt) || !PlausibleDate(dateAt)) {
            return kUnknownUtc;
        }
        const auto year = static_cast<int>(U32(dateAt));
        return UtcSeconds(year < 100 ? 2000 + year : year, static_cast<int>(U32(dateAt + 4)),
                          static_cast<int>(U32(dateAt + 8)), static_cast<int>(U32(timeAt)),
                          static_cast<int>(U32(timeAt + 4)), static_cast<int>(U32(timeAt + 8)))
            .value_or(kUnknownUtc);
    }

private:
    std::span<const unsigned char> m_marker;
};

// A position stored as DDMM.mmmm with hemisphere letters; anything a receiver cannot have
// sent makes the second one without fix rather than a point on the map.
void SetPosition(FreeGpsBlock& block, char status, double latValue, unsigned char ns,
                 double lonValue, unsigned char ew) {
    block.status = status == 'A' ? 'A' : 'V';
    const bool letters = (ns == 'N' || ns == 'S') && (ew == 'E' || ew == 'W');
    if (!letters || !std::isfinite(latValue) || !std::isfinite(lonValue) ||
        !(std::fabs(latValue) < 9000.0) || !(std::fabs(lonValue) < 18000.0)) {
        block.status = 'V';
        return;
    }
    block.latitude = DegreesFromNmeaValue(latValue, 2) * (ns == 'S' ? -1 : 1);
    block.longitude = DegreesFromNmeaValue(lonValue, 3) * (ew == 'W' ? -1 : 1);
}

float Degrees(double course) {
    return std::isfinite(course) ? static_cast<float>(course) : 0.0f;
}

// Viofo and Kenwood: status and hemispheres as three bytes after the date, floats after.
FreeGpsBlock DecodeViofo(const BoxBytes& box, uint64_t offset, uint64_t shift) {
    FreeGpsBlock block;
    block.offset = offset;
    block.utcTime = box.UtcTime(0x10 + shift, 0x1C + shift);
    SetPosition(block, static_cast<char>(box.At(0x28 + shift)), box.F32(0x2C + shift),
                box.At(0x29 + shift), box.F32(0x30 + shift), box.At(0x2A + shift));
    block.speed = KnotsToKmh(box.F32(0x34 + shift));
    block.course = Degrees(box.F32(0x38 + shift));
    block.hasSensor = false;
    if (shift == 0) {
        // Three i32 in 1/256 g; all zeros or the counting 1..6 of 16-bit words mean none.
        static constexpr unsigned char kCounting[12] = {1, 0, 2, 0, 3, 0, 4, 0, 5, 0, 6, 0};
        unsigned char raw[12];
        for (uint64_t i = 0; i < 12; ++i) {
            raw[i] = box.At(0x3C + i);
        }
        if (!box.Zeros(0x3C, 12) && std::memcmp(raw, kCounting, sizeof raw) != 0) {
            block.hasSensor = true;
            block.x = box.I32(0x3C) / 256.0;
            block.y = box.I32(0x40) / 256.0;
            block.z = box.I32(0x44) / 256.0;
        }
    }
    return block;
}

// Where the Transcend DrivePro keeps the same latitude and longitude again as doubles.
constexpr uint64_t kNovatekDoublesEnd = 0x88;
// exiftool takes the doubles only when they agree with the floats this closely (DDMM).
constexpr double kDoublesAgree = 0.001;

FreeGpsBlock DecodeNovatek(const BoxBytes& box, uint64_t offset) {
    FreeGpsBlock block;
    block.offset = offset;
    block.utcTime = box.UtcTime(0x30, 0x3C);
    double latitude = box.F32(0x4C);
    double longitude = box.F32(0x50);
    if (box.Holds(kNovatekDoublesEnd)) {
        // Other cameras leave these bytes to anything: only a close match is a double.
        const double lat = box.F64(0x70);
        const double lon = box.F64(0x80);
        if (std::fabs(lat - latitude) < kDoublesAgree &&
            std::fabs(lon - longitude) < kDoublesAgree) {
            latitude = lat;
            longitude = lon;
        }
    }
    SetPosition(block, static_cast<char>(box.At(0x48)), latitude, box.At(0x49), longitude,
                box.At(0x4A));
    block.speed = KnotsToKmh(box.F32(0x54));
    block.course = Degrees(box.F32(0x58));
    block.hasSensor = false;
    return block;
}

FreeGpsBlock DecodeVantrue(const BoxBytes& box, uint64_t offset) {
    FreeGpsBlock block;
    block.offset = offset;
    block.utcTime = box.UtcTime(0x10, 0x50);
    SetPosition(block, static_cast<char>(box.At(0x1C)), box.F64(0x20), box.At(0x28), box.F64(0x30),
                box.At(0x38));
    block.speed = KnotsToKmh(box.F64(0x40));
    block.course = Degrees(box.F64(0x48));
    block.hasSensor = false;
    return block;
}

// The Vantrue S1's block as exiftool documents it: status and hemisphere letters at 0x40, the
// date and time as six 32-bit words from 0x44, longitude before latitude as DDMM floats at
// 0x5C, knots, course and altitude after them, and three 32-bit accelerations at 0x70 that
// exiftool reads in thousandths of a g while calling that scale unsure.
constexpr uint64_t kHorsontechEnd = 0x7C;

bool HorsontechBlock(const BoxBytes& box) {
    return box.Status(0x40) && box.At(0x43) == 0 && box.PlausibleDate(0x44) &&
           box.PlausibleTime(0x50);
}

FreeGpsBlock DecodeHorsontech(const BoxBytes& box, uint64_t offset) {
    FreeGpsBlock block;
    block.offset = offset;
    block.utcTime = box.UtcTime(0x50, 0x44);
    SetPosition(block, static_cast<char>(box.At(0x40)), box.F32(0x60), box.At(0x41), box.F32(0x5C),
                box.At(0x42));
    block.speed = KnotsToKmh(box.F32(0x64));
    block.course = Degrees(box.F32(0x68));
    block.hasSensor = box.Holds(kHorsontechEnd);
    block.x = box.I32(0x70) / 1000.0;
    block.y = box.I32(0x74) / 1000.0;
    block.z = box.I32(0x78) / 1000.0;
    return block;
}

// The Nextbase 512G's big-endian records from box offset 0x30. The first is the block's
// second: the camera repeats its latest readings in the ones after it.
bool Nextbase512GRecord(const BoxBytes& box) {
    const uint32_t year = box.U16BE(0x36);
    return year >= 2000 && year <= 2200 && box.At(0x38) - 1u < 12 && box.At(0x39) - 1u < 31 &&
           box.At(0x3A) < 24 && box.At(0x3B) < 60 && box.U16BE(0x3C) <= 600;
}

FreeGpsBlock DecodeNextbase512G(const BoxBytes& box, uint64_t offset) {
    FreeGpsBlock block;
    block.offset = offset;
    block.hasSensor = false;
    const double latitude = box.I32BE(0x3F) / 1e7;
    const double longitude = box.I32BE(0x43) / 1e7;
    // No status field: a camera without a fix writes zeros.
    if (std::fabs(latitude) <= 90.0 && std::fabs(longitude) <= 180.0 &&
        (latitude != 0.0 || longitude != 0.0)) {
        block.status = 'A';
        block.latitude = latitude;
        block.longitude = longitude;
    }
    // m/s times 100, kept to 0.01 km/h.
    block.speed = static_cast<float>(std::round(box.U16BE(0x32) * 3.6) / 100);
    const double course = static_cast<int16_t>(box.U16BE(0x34)) / 100.0;
    block.course = static_cast<float>(course < 0 ? course + 360 : course);
    block.utcTime = UtcSeconds(static_cast<int>(box.U16BE(0x36)), box.At(0x38), box.At(0x39),
                               box.At(0x3A), box.At(0x3B), static_cast<int>(box.U16BE(0x3C) / 10))
                        .value_or(kUnknownUtc);
    return block;
}

// The 70mai A810's block, as exiftool documents it: a status letter at box offset 30, then
// latitude and longitude as signed 32-bit DDMM.mmmmm × 100000 at 31 and 35 (the sign is the
// hemisphere), the speed in km/h as a 32-bit integer at 43, and "VV" at 51. No time.
bool SeventyMaiBlock(const BoxBytes& box) {
    return box.Status(30) && box.Matches(51, "VV");
}

// Degrees from DDMM.mmmmm × 100000 without its sign; negative for minutes past 59.
double DegreesFromHundredThousandths(uint32_t value) {
    const double minutes = (value % 10'000'000) / 1e5;
    return minutes < 60.0 ? value / 10'000'000 + minutes / 60.0 : -1.0;
}

FreeGpsBlock DecodeSeventyMai(const BoxBytes& box, uint64_t offset) {
    FreeGpsBlock block;
    block.offset = offset;
    block.hasSensor = false;
    const int32_t latitude = box.I32(31);
    const int32_t longitude = box.I32(35);
    // Through 64 bits: the magnitude of INT32_MIN does not fit 32.
    const double lat = DegreesFromHundredThousandths(
        static_cast<uint32_t>(std::min<int64_t>(std::abs(int64_t{latitude}), UINT32_MAX)));
    const double lon = DegreesFromHundredThousandths(
        static_cast<uint32_t>(std::min<int64_t>(std::abs(int64_t{longitude}), UINT32_MAX)));
    if (box.At(30) == 'A' && lat >= 0.0 && lat <= 90.0 && lon >= 0.0 && lon <= 180.0) {
        block.status = 'A';
        block.latitude = latitude < 0 ? -lat : lat;
        block.longitude = longitude < 0 ? -lon : lon;
    }
    const int32_t speed = box.I32(43);
    block.speed = speed >= 0 && speed < 1000 ? static_cast<float>(speed) : 0.0f;
    return block;
}

uint32_t BigEndian32(std::span<const unsigned char> bytes) {
    return uint32_t{bytes[0]} << 24 | uint32_t{bytes[1]} << 16 | uint32_t{bytes[2]} << 8 | bytes[3];
}

} // namespace

float KnotsToKmh(double knots) {
    return std::isfinite(knots)
               ? static_cast<float>(std::round(knots * kKilometresPerKnot * 100) / 100)
               : 0.0f;
}

BlockLayout DetectBlockLayout(std::span<const unsigned char, kCameraBlockLength> fromMarker) {
    const BoxBytes box(fromMarker);
    // Signatures first: an XOR-masked header, camera time as text, a shifted "$GPRMC,".
    if (box.Matches(18, "\xAA\xAA\xF2\xE1\xF0\xEE\x54\x54")) {
        return BlockLayout::Azdome;
    }
    if (box.Digits(0x34, 14)) {
        return BlockLayout::NmeaText;
    }
    if (box.Matches(0x3C, "4W`b]S<")) {
        return BlockLayout::ShiftedRmc;
    }
    // The player's layout keeps status and hemispheres in 32-bit words of their own.
    if (box.Status(60) && box.Zeros(61, 3) && (box.At(68) == 'N' || box.At(68) == 'S') &&
        (box.At(76) == 'E' || box.At(76) == 'W')) {
        return BlockLayout::Plain;
    }
    if (box.Zeros(0x25, 3) && box.Status(0x28) && box.At(0x2B) == 0 && box.PlausibleTime(0x10) &&
        box.PlausibleDate(0x1C)) {
        return BlockLayout::Viofo;
    }
    if (box.Zeros(0x55, 3) && box.Status(0x58) && box.At(0x5B) == 0 && box.PlausibleTime(0x40) &&
        box.PlausibleDate(0x4C)) {
        return BlockLayout::ViofoModelHeader;
    }
    if (HorsontechBlock(box)) {
        return BlockLayout::Horsontech;
    }
    if (box.Status(0x48) && box.At(0x4B) == 0 && box.PlausibleTime(0x30) &&
        box.PlausibleDate(0x3C)) {
        return BlockLayout::Novatek;
    }
    if (box.Status(0x1C) && box.PlausibleTime(0x10) && box.PlausibleDate(0x50)) {
        return BlockLayout::Vantrue;
    }
    if (SeventyMaiBlock(box)) {
        return BlockLayout::SeventyMai;
    }
    if (Nextbase512GRecord(box)) {
        return BlockLayout::Nextbase512G;
    }
    return BlockLayout::Plain;
}

uint64_t CameraBlockWindow(BlockLayout layout) {
    switch (layout) {
    case BlockLayout::Azdome:
    case BlockLayout::NmeaText:
    case BlockLayout::ShiftedRmc:
        return kTextBlockWindow;
    case BlockLayout::Novatek:
        return kNovatekDoublesEnd - 4;
    case BlockLayout::Horsontech:
        return kHorsontechEnd - 4;
    default:
        return kCameraBlockLength;
    }
}

FreeGpsBlock DecodeCameraBlock(std::span<const unsigned char> fromMarker, uint64_t offset) {
    if (fromMarker.size() < kCameraBlockLength) {
        std::array<unsigned char, kCameraBlockLength> padded{};
        std::copy(fromMarker.begin(), fromMarker.end(), padded.begin());
        return DecodeCameraBlock(padded, offset);
    }
    const BoxBytes box(fromMarker);
    switch (DetectBlockLayout(fromMarker.first<kCameraBlockLength>())) {
    case BlockLayout::Azdome:
        return DecodeAzdomeBlock(fromMarker, offset);
    case BlockLayout::NmeaText:
        return DecodeNmeaTextBlock(fromMarker, offset);
    case BlockLayout::ShiftedRmc:
        return DecodeShiftedRmcBlock(fromMarker, offset);
    case BlockLayout::Nextbase512G:
        return DecodeNextbase512G(box, offset);
    case BlockLayout::SeventyMai:
        return DecodeSeventyMai(box, offset);
    case BlockLayout::Viofo:
        return DecodeViofo(box, offset, 0);
    case BlockLayout::ViofoModelHeader:
        return DecodeViofo(box, offset, 0x30);
    case BlockLayout::Novatek:
        return DecodeNovatek(box, offset);
    case BlockLayout::Vantrue:
        return DecodeVantrue(box, offset);
    case BlockLayout::Horsontech:
        return DecodeHorsontech(box, offset);
    case BlockLayout::Plain:
        break;
    }
    return DecodeFreeGpsBlock(fromMarker.data(), offset);
}

FreeGpsBlock ReadCameraBlock(ByteSource& source, uint64_t markerAt,
                             std::span<const unsigned char, kCameraBlockLength> first) {
    const uint64_t window = CameraBlockWindow(DetectBlockLayout(first));
    if (window <= kCameraBlockLength || markerAt < 4) {
        return DecodeCameraBlock(first, markerAt);
    }
    // The next read reuses the source's buffer.
    std::array<unsigned char, kCameraBlockLength> kept;
    std::copy(first.begin(), first.end(), kept.begin());
    const uint64_t length = source.Length();
    uint64_t wanted = std::min(window, length > markerAt ? length - markerAt : 0);
    const std::span<const unsigned char> size = source.Read(markerAt - 4, 4);
    if (size.size() == 4) {
        // 0 runs to the end of the file and 1 has a 64-bit size after the type: the file
        // and the window bound those.
        const uint32_t boxSize = BigEndian32(size);
        if (boxSize >= 4 + kCameraBlockLength) {
            wanted = std::min<uint64_t>(wanted, boxSize - 4);
        } else if (boxSize > 1) {
            wanted = kCameraBlockLength;
        }
    }
    const std::span<const unsigned char> bytes = wanted > kCameraBlockLength
                                                     ? source.Read(markerAt, wanted)
                                                     : std::span<const unsigned char>();
    if (bytes.size() < kCameraBlockLength) {
        return DecodeCameraBlock(kept, markerAt);
    }
    return DecodeCameraBlock(bytes, markerAt);
}
