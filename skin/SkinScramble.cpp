#include "skin/SkinScramble.h"

const std::array<std::uint8_t, kSkinKeyLength>& SkinKey() {
    // Built from its parts at run time, so the key does not sit in the binary as one run
    // of bytes beside the archive name.
    static const std::array<std::uint8_t, kSkinKeyLength> key = [] {
        constexpr std::array<std::uint8_t, kSkinKeyLength> seed{
            0x4f, 0x73, 0x74, 0x76, 0x69, 0x6b, 0x2d, 0x73, 0x6b, 0x69, 0x6e, 0x21,
            0x5a, 0x93, 0xc6, 0x1e, 0xa7, 0x38, 0xd2, 0x05, 0x7b, 0xe4, 0x91};
        std::array<std::uint8_t, kSkinKeyLength> built{};
        for (std::size_t i = 0; i < kSkinKeyLength; ++i) {
            built[i] = static_cast<std::uint8_t>(seed[i] ^ (0xa5 + 7 * i));
        }
        return built;
    }();
    return key;
}

void Descramble(std::uint8_t* buffer, std::int64_t length) {
    const auto& key = SkinKey();
    const auto block = static_cast<std::int64_t>(kSkinKeyLength);
    for (std::int64_t b = 0; b < length - block; b += block) {
        for (std::int64_t i = 0; i < block; ++i) {
            buffer[b + i] ^= key[static_cast<std::size_t>(i)];
        }
    }
}
