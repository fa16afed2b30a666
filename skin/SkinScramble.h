// The scramble that turns the plain skin archive into Skin.dat and back. The same XOR
// with a repeating 23-byte key does both; the program and the build-time packer share
// this one copy of the key, so an archive the packer writes is always one the program
// reads.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

inline constexpr std::size_t kSkinKeyLength = 23;

// The key bytes. Any 23 bytes would do; these are ours, and changing them needs only a
// rebuild, since Skin.dat is made by the build.
const std::array<std::uint8_t, kSkinKeyLength>& SkinKey();

// XORs the buffer with the key, block by block from the start, in place. A block is
// taken only while its start b satisfies b < n - 23 in signed arithmetic, so the last 1 to
// 23 bytes are never changed and a buffer of 23 bytes or fewer not at all.
void Descramble(std::uint8_t* buffer, std::int64_t length);
