// Where a recovered clip goes and which whole clip lends it the camera's video setup, for
// the player and the tool alike.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// NAME.recovered.EXT beside the cut clip when its folder can be written, else the same name
// in `elsewhere` (a card is often mounted read-only).
std::string RecoveredClipPath(const std::string& cutClip, const std::string& elsewhere);

// The clips beside a cut one that may lend it their video setup: the same extension, whole
// themselves, and nearest to it in name order first (a camera's clips of one drive stand
// together there); at most `most` of them.
std::vector<std::string> TemplateCandidates(const std::string& cutClip, size_t most);
