// A whole file read in one go. Test code is built unoptimised, where reading a clip through
// stream iterators a byte at a time took seconds.
#pragma once

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

// The bytes of the file at `path` as a string (or as bytes with FileByteVector); empty when
// it cannot be read.
inline std::string FileBytes(const std::filesystem::path& path) {
    // Read to the end rather than to the size the file states: /proc's files state none.
    std::ifstream file(path, std::ios::binary);
    std::string bytes;
    char buffer[1 << 16];
    while (file.read(buffer, sizeof buffer) || file.gcount() > 0) {
        bytes.append(buffer, static_cast<size_t>(file.gcount()));
    }
    return bytes;
}

inline std::vector<unsigned char> FileByteVector(const std::filesystem::path& path) {
    const std::string bytes = FileBytes(path);
    std::vector<unsigned char> out(bytes.size());
    std::memcpy(out.data(), bytes.data(), bytes.size());
    return out;
}
