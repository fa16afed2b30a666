#include "recover/AudioConfig.h"

#include <array>

#include "recover/BitReader.h"

namespace {

constexpr std::array<uint32_t, 13> kRates = {96000, 88200, 64000, 48000, 44100, 32000, 24000,
                                             22050, 16000, 12000, 11025, 8000,  7350};
constexpr uint32_t kSbr = 5;
constexpr uint32_t kPs = 29;

uint32_t ObjectType(BitReader& bits) {
    const uint32_t type = bits.Bits(5);
    return type == 31 ? 32 + bits.Bits(6) : type;
}

uint32_t Rate(BitReader& bits) {
    const uint32_t index = bits.Bits(4);
    if (index == 15) {
        return bits.Bits(24);
    }
    return index < kRates.size() ? kRates[index] : 0;
}

// Main, LC, SSR and LTP: the types whose frames are raw data blocks ending in an END element.
bool RawBlocks(uint32_t type) {
    return type >= 1 && type <= 4;
}

} // namespace

std::optional<AudioConfig> ReadAudioConfig(std::span<const unsigned char> bytes) {
    BitReader bits(bytes);
    AudioConfig config;
    config.objectType = ObjectType(bits);
    config.coreRate = Rate(bits);
    const uint32_t layout = bits.Bits(4);
    config.channels = layout == 7 ? 8 : layout; // 7 is the 7.1 layout
    if (config.objectType == kSbr || config.objectType == kPs) {
        Rate(bits); // the rate SBR doubles to; the index counts the core's samples
        config.objectType = ObjectType(bits);
    }
    if (!RawBlocks(config.objectType) || config.coreRate == 0 || layout > 7) {
        return std::nullopt;
    }
    config.frameSamples = bits.Bits(1) == 1 ? 960 : 1024;
    if (bits.Overrun()) {
        return std::nullopt;
    }
    return config;
}
