// The SHA-256 of a file, read in large blocks so that hashing a clip of gigabytes runs at the
// disk's speed and holds only one block in memory. The report states these digests and the
// verifier recomputes them, so both go through this one function.
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct FileDigest {
    std::string sha256; // 64 lower-case hexadecimal digits, as sha256sum prints them
    int64_t bytes = 0;
};

// Nothing, with `why`, when the file cannot be opened or read to its end, or when `stop` is
// set before it is (a hash begun ahead of need, for a job since cancelled).
std::optional<FileDigest> DigestOfFile(const std::string& path, std::string& why,
                                       const std::atomic<bool>* stop = nullptr);

// The digest of bytes held in memory (a report before it is written).
FileDigest DigestOfBytes(const std::string& bytes);

struct DigestResult {
    std::optional<FileDigest> digest;
    std::string why; // when there is no digest
};

// The digests of several files, beside `paths`, made by up to `threads` threads at once: a
// hash runs on one core, so two files take the time of one where two cores are free.
std::vector<DigestResult> DigestFiles(const std::vector<std::string>& paths, int threads,
                                      const std::atomic<bool>* stop = nullptr);
