// The SHA-256 of a file, read in large blocks so that hashing a clip of gigabytes runs at the
// disk's speed and holds only one block in memory. The report states these digests and the
// verifier recomputes them, so both go through this one function.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

struct FileDigest {
    std::string sha256; // 64 lower-case hexadecimal digits, as sha256sum prints them
    int64_t bytes = 0;
};

// Nothing, with `why`, when the file cannot be opened or read to its end.
std::optional<FileDigest> DigestOfFile(const std::string& path, std::string& why);

// The digest of bytes held in memory (a report before it is written).
FileDigest DigestOfBytes(const std::string& bytes);
