#include "recover/AacFrameStart.h"

#include <algorithm>

#include "recover/BitReader.h"

namespace {

enum Element : uint32_t { kSingle = 0, kPair = 1, kData = 4, kFill = 6, kEnd = 7 };
// Fill and data elements a frame may open with before its channels; more is no frame.
constexpr int kMostLeading = 4;
constexpr size_t kZeros = 8;

// Steps over a data element (tag, alignment flag, count, the bytes) after its type.
void SkipData(BitReader& bits) {
    bits.Skip(4);
    const bool aligned = bits.Bits(1) == 1;
    uint32_t count = bits.Bits(8);
    if (count == 255) {
        count += bits.Bits(8);
    }
    if (aligned) {
        bits.Align();
    }
    bits.Skip(size_t{count} * 8);
}

// Steps over a fill element (count, the bytes) after its type.
void SkipFill(BitReader& bits) {
    uint32_t count = bits.Bits(4);
    if (count == 15) {
        count += bits.Bits(8) - 1;
    }
    bits.Skip(size_t{count} * 8);
}

} // namespace

bool MayStartAacFrame(std::span<const unsigned char> bytes, unsigned channels) {
    // Zeros would read as one channel numbered 0 after another, which no configuration
    // repeats; erased stretches of a card are such zeros, and are passed over at once.
    if (bytes.size() >= kZeros && std::all_of(bytes.begin(), bytes.begin() + kZeros,
                                              [](unsigned char b) { return b == 0; })) {
        return false;
    }
    BitReader bits(bytes);
    for (int leading = 0; leading <= kMostLeading; ++leading) {
        const uint32_t type = bits.Bits(3);
        if (type == kData) {
            SkipData(bits);
            continue;
        }
        if (type == kFill) {
            SkipFill(bits);
            continue;
        }
        if (bits.Overrun() || type == kEnd) {
            return false;
        }
        if (channels == 0) {
            return true;
        }
        const uint32_t first = channels == 2 ? kPair : kSingle;
        if (type != first || bits.Bits(4) != 0) {
            return false;
        }
        // A pair that shares its window information gives it at once; otherwise, as for a
        // single channel, the global gain comes first.
        const bool shared = type == kPair && bits.Bits(1) == 1;
        bits.Skip(shared ? 0 : 8);
        return bits.Bits(1) == 0 && !bits.Overrun();
    }
    return false;
}
