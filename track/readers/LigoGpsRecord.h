// The LIGOGPSINFO records that SigmaStar-based cameras sold under many budget brands write:
// a block of a 20-byte header and 132-byte slots, each slot "####", a little-endian byte
// count and that many bytes of a byte-steered encryption of a counter and a text line
// ("2022/09/19 12:45:24 N:31.285065 W:124.759483 46.93 km/h x:-0.000 y:-0.000 z:-0.000").
// Most firmwares also scramble the coordinates (each carries the other's digits, scaled);
// the header word says when they do not. Everything here follows exiftool's public notes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

inline constexpr std::string_view kLigoMagic{"LIGOGPSINFO\0", 12};
inline constexpr size_t kLigoHeaderBytes = 0x14;
inline constexpr size_t kLigoSlotBytes = 0x84;

// The scale of the scrambled coordinates when the header does not name another.
inline constexpr double kLigoCoordinateScale = 1.524855137;

struct LigoGpsFix {
    int64_t utc = 0;
    double latitude = 0.0;  // south negative
    double longitude = 0.0; // west negative
    double speedKmh = 0.0;
    std::optional<double> course;
    std::optional<std::array<double, 3>> accel; // x, y, z in g
};

struct LigoSlot {
    enum class Kind { Empty, Fix, Damaged };
    Kind kind = Kind::Empty;
    LigoGpsFix fix;
};

// Where a block opens in a stream's record: at its start, or after the 8-byte `skip` box
// header some cameras put before it. Nothing when neither holds the name.
std::optional<size_t> LigoBlockAt(std::span<const unsigned char> record);

// Whether the block's header word says the coordinates and speed are written as they are.
bool LigoCoordinatesPlain(std::span<const unsigned char> block);

// The counter and text a slot holds; nothing when its bytes break the encryption's rules.
std::optional<std::string> DecryptLigoSlot(std::span<const unsigned char> slot);

// The fix of a decrypted slot (its 4-byte counter, then the text).
std::optional<LigoGpsFix> ParseLigoText(std::string_view decrypted, bool plain);

// Undoes the scrambling: the tens of each coordinate stay, the rest comes from the other.
std::array<double, 2> UnscrambleLigo(double latitude, double longitude, double scale);

// One slot of a block: zeros (a second without a record), a fix, or damage.
LigoSlot ReadLigoSlot(std::span<const unsigned char> slot, bool plain);
