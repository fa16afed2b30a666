// The real player, run from a test in a virtual X server as a person would start it: it plays
// the clips it is given, writes a picture of its window and quits after a set time.
#pragma once

#include "Shell.h"

#include <string>
#include <vector>

// Plays `clips` for `milliseconds`, then writes the window's picture to `grab` and quits.
// The output holds standard output and error together, with the map's own lines, which say
// where a map test lost its way.
ToolRun RunPlayer(const std::vector<std::string>& clips, int milliseconds, const std::string& grab);
