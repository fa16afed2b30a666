// One second of a camera's per-second records (freeGPS blocks, a transport stream's GPS
// records) into the three stores, the same way whichever container carried it.
#pragma once

#include "track/FreeGpsBlock.h"
#include "track/TrackStores.h"

// Puts the record at `second`: its entry on the map, its speed and course on the dial, and
// its accelerations on the chart when its layout has them (a layout without leaves the
// chart empty rather than drawing zeros).
void PutBlockSecond(const TrackStores& stores, int second, const FreeGpsBlock& block);
