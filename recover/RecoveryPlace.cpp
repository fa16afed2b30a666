#include "recover/RecoveryPlace.h"

#include "recover/ClipRecovery.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <unistd.h>

namespace fs = std::filesystem;

std::string RecoveredClipPath(const std::string& cutClip, const std::string& elsewhere) {
    const fs::path path(cutClip);
    const std::string name = path.stem().string() + ".recovered" +
                             (path.has_extension() ? path.extension().string() : ".MP4");
    const fs::path folder = path.parent_path();
    const bool writable = ::access(folder.empty() ? "." : folder.c_str(), W_OK) == 0;
    return writable ? (folder / name).string() : (fs::path(elsewhere) / name).string();
}

std::vector<std::string> TemplateCandidates(const std::string& cutClip, size_t most) {
    const fs::path cut(cutClip);
    std::vector<std::string> names;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(
             cut.parent_path().empty() ? fs::path(".") : cut.parent_path(), error)) {
        const fs::path& path = entry.path();
        if (path.extension() == cut.extension() && path.filename() != cut.filename() &&
            path.stem().extension() != ".recovered" && entry.is_regular_file(error)) {
            names.push_back(path.filename().string());
        }
    }
    std::sort(names.begin(), names.end());
    const std::string own = cut.filename().string();
    // Nearest in name order: the clips just before and after the cut one, then further out.
    const auto at = std::lower_bound(names.begin(), names.end(), own) - names.begin();
    std::vector<std::string> nearest;
    for (ptrdiff_t step = 0; nearest.size() < most && step < ptrdiff_t(names.size()); ++step) {
        for (const ptrdiff_t index : {at - 1 - step, at + step}) {
            if (index >= 0 && index < ptrdiff_t(names.size()) && nearest.size() < most) {
                const std::string candidate = (cut.parent_path() / names[size_t(index)]).string();
                if (!IsCutClip(candidate)) {
                    nearest.push_back(candidate);
                }
            }
        }
    }
    return nearest;
}
