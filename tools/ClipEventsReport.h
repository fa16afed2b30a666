// The track tool's list of driving events: each clip loaded as the player loads it, its
// events (DetectClipEvents) written one row each, tab-separated under a header line:
// clip (as named), second, kind, peak g (two decimals, empty for a locked clip), km/h
// (empty when the second has no speed).
#pragma once

#include <ostream>
#include <string>
#include <vector>

// Exit status: 0 when every clip was read, 1 when any could not be (each one line on
// standard error; the others are still listed).
int WriteClipEvents(const std::vector<std::string>& clipPaths, std::ostream& out);
