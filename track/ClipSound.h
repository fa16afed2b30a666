// Whether a clip carries sound: an excerpt joining several clips gives each piece its own
// sound, or silence of its length, so that the pieces' sound and pictures stay together.
#pragma once

#include <string>

// True when the clip's movie has a track of a sound format; false for none, and for a file
// that cannot be read as a movie.
bool ClipHasSound(const std::string& path);
