// Whether the camera itself locked a clip as an event, judged from where and under what
// name it wrote it: cameras move a locked clip into a folder of its own (EVENT, EMR,
// Protected, RO, in any letter case) or mark its name (BlackVue's _E, _EF, _ER or _EI after
// the time; names beginning EV or EMER followed by a digit or a separator). Only the
// folder the clip lies in counts, so a card kept inside some user's folder named RO does
// not lock every clip below it.
#pragma once

#include <string>

bool CameraLockedClip(const std::string& clipPath);
