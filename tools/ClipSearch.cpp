#include "ClipSearch.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <iostream>
#include <set>

namespace fs = std::filesystem;

namespace {

bool IsClipName(const fs::path& path) {
    std::string extension = path.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == ".mp4" || extension == ".mov" || extension == ".avi" || extension == ".ts";
}

// Adds the clip files in `folder` and the folders below it (not through links to folders,
// which could lead in circles).
void SearchFolder(const fs::path& folder, std::set<std::string>& found, size_t& failures) {
    std::vector<fs::path> pending{folder};
    while (!pending.empty()) {
        const fs::path current = pending.back();
        pending.pop_back();
        std::error_code error;
        fs::directory_iterator it(current, error);
        for (; !error && it != fs::directory_iterator(); it.increment(error)) {
            std::error_code typeError;
            if (it->is_directory(typeError) && !it->is_symlink(typeError)) {
                pending.push_back(it->path());
            } else if (IsClipName(it->path()) && !it->is_directory(typeError)) {
                // Anything named like a clip but a folder is taken, so that a broken link or
                // a clip that is not a plain file is reported rather than passed over.
                found.insert(it->path().string());
            }
        }
        if (error) {
            std::cerr << "ostvik-track: cannot search " << current.string() << ": "
                      << error.message() << "\n";
            ++failures;
        }
    }
}

} // namespace

std::vector<std::string> FindClips(const std::vector<std::string>& paths, size_t& failures) {
    std::set<std::string> found;
    for (const std::string& path : paths) {
        std::error_code error;
        if (fs::is_directory(path, error)) {
            SearchFolder(path, found, failures);
        } else {
            found.insert(path);
        }
    }
    return {found.begin(), found.end()};
}
