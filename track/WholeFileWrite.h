// A file written whole or not at all: its bytes go to a new hidden file in the same folder,
// which is renamed over the final name only once every byte is written, on disk and the
// file closed. A full disk or any other error leaves no half file that reads as complete,
// and an earlier file of that name as it was; a link planted at the name is replaced, never
// followed.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

// False, with the reason in `why`, when the file could not be written whole.
bool WriteWholeFile(const std::filesystem::path& path, std::string_view text, std::string& why);
