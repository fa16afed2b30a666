#include "evidence/ManifestCheck.h"

#include "evidence/FileDigest.h"

#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

// A manifest is a page of text; anything far larger is not one.
constexpr std::uintmax_t kMaxManifestBytes = 16u << 20;

} // namespace

const char* FileStateName(FileState state) {
    switch (state) {
    case FileState::Unchanged:
        return "unchanged";
    case FileState::Changed:
        return "changed";
    case FileState::Missing:
        return "missing";
    case FileState::Unreadable:
        return "unreadable";
    }
    return "";
}

bool CheckManifest(const std::string& manifestPath, int threads, std::vector<FileCheck>& checks,
                   std::string& why) {
    checks.clear();
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(manifestPath, error);
    std::ifstream in(manifestPath, std::ios::binary);
    if (error || !in) {
        why = "cannot read " + manifestPath;
        return false;
    }
    if (size > kMaxManifestBytes) {
        why = manifestPath + " is not a manifest: too large";
        return false;
    }
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::vector<ManifestFile> files;
    if (!ReadManifestFiles(text, files, why)) {
        why = manifestPath + ": " + why;
        return false;
    }
    const std::filesystem::path folder = std::filesystem::path(manifestPath).parent_path();
    std::vector<std::string> present;
    for (const ManifestFile& file : files) {
        FileCheck check{file, file.path, FileState::Missing};
        if (file.path.front() != '/') {
            check.path = (folder / file.path).string();
        }
        if (std::filesystem::is_regular_file(check.path, error)) {
            present.push_back(check.path);
        }
        checks.push_back(check);
    }
    const std::vector<DigestResult> digests = DigestFiles(present, threads);
    size_t next = 0;
    for (FileCheck& check : checks) {
        if (next == present.size() || present[next] != check.path) {
            continue;
        }
        const DigestResult& result = digests[next++];
        check.state = !result.digest ? FileState::Unreadable
                      : result.digest->sha256 == check.listed.sha256 &&
                              result.digest->bytes == check.listed.bytes
                          ? FileState::Unchanged
                          : FileState::Changed;
    }
    return true;
}
