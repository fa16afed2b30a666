// Our clip maker, run from a test: a clip with the options given, and the record it keeps of
// what it wrote into the clip (its truth file).
#pragma once

#include "Shell.h"

#include <filesystem>
#include <string>
#include <vector>

// A new folder for the clips of the test that runs now, named after `kind`, the process and
// the test, so that nothing of another test or run is found in it. The test removes it.
std::filesystem::path TestFolder(const std::string& kind);

// Makes `clip` with the clip maker's command-line `options` (already quoted where needed).
ToolRun MakeClip(const std::string& clip, const std::string& options);

// The rows of a truth file below its header, as numbers: second, latitude, longitude,
// speed_kmh, course, x_raw, y_raw, z_raw, status (a letter, so 0). None when it is missing.
std::vector<std::vector<double>> ReadTruth(const std::string& path);
