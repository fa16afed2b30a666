// Rechecks a report's manifest: every file it lists hashed again and found unchanged,
// changed (other bytes, or another size) or missing, and unreadable when it is there but
// cannot be read to its end, which proves nothing either way.
#pragma once

#include "evidence/ManifestFiles.h"

#include <string>
#include <vector>

enum class FileState { Unchanged, Changed, Missing, Unreadable };

const char* FileStateName(FileState state); // "unchanged", "changed", ...

struct FileCheck {
    ManifestFile listed;
    std::string path; // where it was looked for
    FileState state = FileState::Missing;
};

// False, with `why`, when the manifest itself cannot be read or lists no file. Files are
// hashed `threads` at a time.
bool CheckManifest(const std::string& manifestPath, int threads, std::vector<FileCheck>& checks,
                   std::string& why);
