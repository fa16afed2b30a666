// Turns the text of one cue of a clip's data subtitle stream into the track lines it
// carries. A cue may hold several lines; a bare NMEA sentence becomes a track line at the
// cue's own time with zero sensor fields, the way the sidecar reader treats such lines,
// because the receivers key every line by its "T:" time.
#pragma once

#include <string>
#include <string_view>
#include <vector>

std::vector<std::string> TrackLinesFromCue(std::string_view text, double cueStartSeconds);
