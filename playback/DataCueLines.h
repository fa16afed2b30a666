// Turns the text of one cue of a clip's data subtitle stream into the track lines it
// carries. A cue may hold several lines; a bare NMEA sentence becomes a sentence-only
// track line at the cue's own time, because the receivers key every line by its "T:"
// time, and a camera that writes its track as text records no accelerations with it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

std::vector<std::string> TrackLinesFromCue(std::string_view text, double cueStartSeconds);
