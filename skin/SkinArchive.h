// The files of a skin archive, read from a ZIP held in memory. Reading stops and fails
// once the entries inflate past a fixed total, so a small archive that expands into
// gigabytes (a zip bomb) is refused before it costs more than that much memory; an archive
// of more entries than a skin holds is refused before it is opened.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

class SkinArchive {
public:
    // What all entries together may inflate to.
    static constexpr std::uint64_t kMaxInflatedBytes = 64ull * 1024 * 1024;
    // A skin has a few dozen files.
    static constexpr std::uint64_t kMaxEntries = 1000;

    // The archive's files by name (folders left out), or nothing when the bytes are not a
    // readable ZIP, an entry is damaged or encrypted, or a bound is passed. On
    // failure `error` says why.
    static std::optional<SkinArchive> Read(const void* data, std::size_t size,
                                           std::string* error = nullptr);

    const std::vector<std::uint8_t>* Find(const std::string& name) const;
    const std::map<std::string, std::vector<std::uint8_t>>& Files() const { return m_files; }

private:
    std::map<std::string, std::vector<std::uint8_t>> m_files;
};
