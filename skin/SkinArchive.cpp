#include "skin/SkinArchive.h"

#include <zip.h>

#include <memory>
#include <string>

namespace {

struct ArchiveCloser {
    void operator()(zip_t* archive) const { zip_discard(archive); }
};
struct EntryCloser {
    void operator()(zip_file_t* entry) const { zip_fclose(entry); }
};

bool Fail(std::string* error, std::string text) {
    if (error != nullptr) {
        *error = std::move(text);
    }
    return false;
}

// Inflates one entry, counting against what is left of the bound. The declared size is
// not trusted: the bytes are counted as they come.
bool ReadEntry(zip_t* archive, zip_uint64_t index, const std::string& name, std::uint64_t& budget,
               std::vector<std::uint8_t>& out, std::string* error) {
    std::unique_ptr<zip_file_t, EntryCloser> entry(zip_fopen_index(archive, index, 0));
    if (!entry) {
        return Fail(error, "cannot open entry " + name + ": " + zip_strerror(archive));
    }
    std::uint8_t chunk[16384];
    for (;;) {
        const zip_int64_t got = zip_fread(entry.get(), chunk, sizeof chunk);
        if (got < 0) {
            return Fail(error, "damaged entry " + name);
        }
        if (got == 0) {
            return true;
        }
        if (static_cast<std::uint64_t>(got) > budget) {
            return Fail(error, "entries inflate past 64 MB");
        }
        budget -= static_cast<std::uint64_t>(got);
        out.insert(out.end(), chunk, chunk + got);
    }
}

std::uint32_t Little(const std::uint8_t* bytes, int size) {
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i) {
        value = (value << 8) | bytes[i];
    }
    return value;
}

// libzip reads a directory of as many entries as the end record claims, and tries every
// end record it finds in the archive's last 64 KiB and a little more, before a single entry
// can be counted: so every candidate it could take is checked here first. A count that
// defers to a zip64 record is refused as well; only archives far past a skin's size need one.
bool EntriesWithinBound(const std::uint8_t* data, std::size_t size, std::string* error) {
    constexpr std::size_t kEndRecord = 22;
    constexpr std::size_t kZip64Locator = 20;
    constexpr std::size_t kSearched = 65536 + kEndRecord + kZip64Locator;
    if (size < kEndRecord) {
        return true;
    }
    const std::size_t first = size > kSearched ? size - kSearched : 0;
    for (std::size_t at = first; at + kEndRecord <= size; ++at) {
        const std::uint8_t* record = data + at;
        if (Little(record, 4) != 0x06054b50) {
            continue;
        }
        const std::uint32_t onDisk = Little(record + 8, 2);
        const std::uint32_t total = Little(record + 10, 2);
        const bool zip64 = onDisk == 0xffff || total == 0xffff ||
                           (at >= kZip64Locator && Little(record - kZip64Locator, 4) == 0x07064b50);
        if (zip64 || onDisk > SkinArchive::kMaxEntries || total > SkinArchive::kMaxEntries) {
            return Fail(error, "the archive holds more than " +
                                   std::to_string(SkinArchive::kMaxEntries) + " entries");
        }
    }
    return true;
}

} // namespace

std::optional<SkinArchive> SkinArchive::Read(const void* data, std::size_t size,
                                             std::string* error) {
    if (!EntriesWithinBound(static_cast<const std::uint8_t*>(data), size, error)) {
        return std::nullopt;
    }
    zip_error_t openError;
    zip_error_init(&openError);
    // libzip reads the caller's bytes in place; they outlive the archive handle below.
    zip_source_t* source = zip_source_buffer_create(size > 0 ? data : nullptr, size, 0, &openError);
    if (source == nullptr) {
        Fail(error, "not a ZIP archive");
        zip_error_fini(&openError);
        return std::nullopt;
    }
    std::unique_ptr<zip_t, ArchiveCloser> archive(
        zip_open_from_source(source, ZIP_RDONLY | ZIP_CHECKCONS, &openError));
    if (!archive) {
        zip_source_free(source);
        Fail(error, std::string("not a ZIP archive (") + zip_error_strerror(&openError) + ")");
        zip_error_fini(&openError);
        return std::nullopt;
    }
    zip_error_fini(&openError);

    SkinArchive result;
    std::uint64_t budget = kMaxInflatedBytes;
    const zip_int64_t count = zip_get_num_entries(archive.get(), 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        const auto index = static_cast<zip_uint64_t>(i);
        const char* rawName = zip_get_name(archive.get(), index, ZIP_FL_ENC_GUESS);
        if (rawName == nullptr) {
            Fail(error, "unnamed entry");
            return std::nullopt;
        }
        const std::string name(rawName);
        if (name.empty() || name.back() == '/') {
            continue;
        }
        if (result.m_files.count(name) != 0) {
            Fail(error, "entry " + name + " appears twice");
            return std::nullopt;
        }
        std::vector<std::uint8_t> bytes;
        if (!ReadEntry(archive.get(), index, name, budget, bytes, error)) {
            return std::nullopt;
        }
        result.m_files.emplace(name, std::move(bytes));
    }
    return result;
}

const std::vector<std::uint8_t>* SkinArchive::Find(const std::string& name) const {
    const auto it = m_files.find(name);
    return it != m_files.end() ? &it->second : nullptr;
}
