// Finds the clips the track tool is given: files named on the command line, and the clip
// files (.mp4, .mov, .avi, any letter case) in folders and the folders below them.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// The clips in path order, each once. Named files are taken whatever their name; a path
// that is neither a folder nor a file is taken too, to fail as a clip. Each folder that
// cannot be read is reported on standard error and counted in `failures`; the others are
// still searched.
std::vector<std::string> FindClips(const std::vector<std::string>& paths, size_t& failures);
