// The logs other makers' cameras write beside a clip, tried after the clip's own data and
// its .TXT log gave no fix: BlackVue's NAME.gps and NAME.3gf, then a plain NAME.NMEA log,
// then a 70mai camera's GPSData*.txt logs (SeventyMaiLog). `clipPath` may be the clip's
// sidecar path: the logs are found by the clip's name.
#pragma once

#include <string>

#include "track/TrackStores.h"

// Fills the stores from the first of those logs the clip has. True when it gave a fix.
bool LoadOtherSidecars(const std::string& clipPath, const TrackStores& stores);
