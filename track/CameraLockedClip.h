// Whether the camera itself locked a clip as an event, judged from where and under what
// name it wrote it: cameras move a locked clip into a folder of its own (EVENT, EMR, EMER,
// Protected, RO, in any letter case) or mark its name (the event forms CameraFileName
// reads, such as BlackVue's _E, _EF, _ER after the time; names beginning EV or EMER followed
// by a digit or a separator). Only the folder the clip lies in counts, or the one above a
// channel folder inside it (Event/Front/), so a card kept inside some user's folder named
// RO does not lock every clip below it.
#pragma once

#include <string>

bool CameraLockedClip(const std::string& clipPath);
