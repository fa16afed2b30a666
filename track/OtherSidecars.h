// The logs other makers' cameras write beside a clip, tried after the clip's own data and
// its .TXT log gave no fix: BlackVue's NAME.gps and NAME.3gf, then a plain NAME.NMEA log,
// then a 70mai camera's GPSData*.txt logs (SeventyMaiLog). The folder may be listed for
// the clip's sidecar: the logs are found by the clip's name.
#pragma once

#include "track/ClipFolder.h"
#include "track/TrackSourceOutcome.h"
#include "track/TrackStores.h"

// Fills the stores from the first of those logs the clip has, and says which it was and
// whether it gave a fix.
TrackSourceOutcome LoadOtherSidecars(const ClipFolder& folder, const TrackStores& stores);
