// The NMEA sentences some cameras (Nextbase among them) write into a text track of the
// clip, read when the clip is loaded so that the map, the dial and the route are complete
// before it plays; the engine's data lines deliver the same sentences again during play.
#pragma once

#include "track/ByteSource.h"
#include "track/TrackStores.h"

// Fills the map and the dial from the RMC sentences of the clip's text tracks; the chart
// gets nothing, as NMEA carries no accelerations. Sentences are placed as in an NMEA log,
// by their own time, with second 0 at the cue that carries the first time: a track that
// starts later than the video keeps its seconds where the engine puts its cues. True when
// a sentence gave a valid fix.
bool LoadNmeaTextTrack(ByteSource& source, const TrackStores& stores);
