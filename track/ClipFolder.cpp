#include "track/ClipFolder.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

bool SameUpToCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
               return std::toupper(x) == std::toupper(y);
           });
}

} // namespace

ClipFolder::ClipFolder(std::string clipPath) : m_clipPath(std::move(clipPath)) {
    const fs::path clip(m_clipPath);
    m_folder = clip.has_parent_path() ? clip.parent_path().string() : std::string();
}

const std::vector<std::string>& ClipFolder::Names() const {
    if (!m_names) {
        m_names.emplace();
        std::error_code error;
        const fs::path folder = m_folder.empty() ? fs::path(".") : fs::path(m_folder);
        for (fs::directory_iterator it(folder, error), end; !error && it != end;
             it.increment(error)) {
            m_names->push_back(it->path().filename().string());
        }
        // Directory order is arbitrary; sorted, the first of several case variants is the
        // same on every run.
        std::sort(m_names->begin(), m_names->end());
    }
    return *m_names;
}

std::string ClipFolder::Beside(const std::string& extension) const {
    fs::path wanted = fs::path(m_clipPath).filename();
    if (wanted.has_extension()) {
        wanted.replace_extension(extension);
    } else {
        wanted += extension;
    }
    const std::string name = wanted.string();
    // The exact name needs no listing.
    if (std::error_code error; fs::exists(PathOf(name), error)) {
        return PathOf(name);
    }
    const std::vector<std::string>& names = Names();
    const auto variant = std::find_if(names.begin(), names.end(), [&](const std::string& held) {
        return SameUpToCase(held, name);
    });
    return PathOf(variant != names.end() ? *variant : name);
}

std::string ClipFolder::PathOf(const std::string& name) const {
    return m_folder.empty() ? name : (fs::path(m_folder) / name).string();
}
