#include "track/CameraBlockLayouts.h"

#include "track/CMapTrackStore.h"
#include "track/EmbeddedTrack.h"

#include <bit>
#include <cmath>
#include <cstring>

namespace {

// Reads a block by the offsets of its box, which starts 4 bytes before the marker.
class BoxBytes {
public:
    explicit BoxBytes(std::span<const unsigned char, kCameraBlockLength> fromMarker)
        : m_marker(fromMarker) {}

    unsigned char At(uint64_t boxOffset) const { return m_marker[boxOffset - 4]; }
    uint32_t U32(uint64_t boxOffset) const {
        uint32_t value = 0;
        for (int i = 3; i >= 0; --i) {
            value = value << 8 | At(boxOffset + static_cast<uint64_t>(i));
        }
        return value;
    }
    int32_t I32(uint64_t boxOffset) const { return static_cast<int32_t>(U32(boxOffset)); }
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
    std::span<const unsigned char, kCameraBlockLength> m_marker;
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

// Rounded to 0.01 km/h as the dial takes RMC speeds, so that a speed stored as rounded
// knots stays the whole km/h the camera measured.
float KnotsToKmh(double knots) {
    return std::isfinite(knots)
               ? static_cast<float>(std::round(knots * kKilometresPerKnot * 100) / 100)
               : 0.0f;
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

FreeGpsBlock DecodeNovatek(const BoxBytes& box, uint64_t offset) {
    FreeGpsBlock block;
    block.offset = offset;
    block.utcTime = box.UtcTime(0x30, 0x3C);
    SetPosition(block, static_cast<char>(box.At(0x48)), box.F32(0x4C), box.At(0x49), box.F32(0x50),
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

} // namespace

BlockLayout DetectBlockLayout(std::span<const unsigned char, kCameraBlockLength> fromMarker) {
    const BoxBytes box(fromMarker);
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
    if (box.Status(0x48) && box.At(0x4B) == 0 && box.PlausibleTime(0x30) &&
        box.PlausibleDate(0x3C)) {
        return BlockLayout::Novatek;
    }
    if (box.Status(0x1C) && box.PlausibleTime(0x10) && box.PlausibleDate(0x50)) {
        return BlockLayout::Vantrue;
    }
    return BlockLayout::Plain;
}

FreeGpsBlock DecodeCameraBlock(std::span<const unsigned char, kCameraBlockLength> fromMarker,
                               uint64_t offset) {
    const BoxBytes box(fromMarker);
    switch (DetectBlockLayout(fromMarker)) {
    case BlockLayout::Viofo:
        return DecodeViofo(box, offset, 0);
    case BlockLayout::ViofoModelHeader:
        return DecodeViofo(box, offset, 0x30);
    case BlockLayout::Novatek:
        return DecodeNovatek(box, offset);
    case BlockLayout::Vantrue:
        return DecodeVantrue(box, offset);
    case BlockLayout::Plain:
        break;
    }
    return DecodeFreeGpsBlock(fromMarker.data(), offset);
}
