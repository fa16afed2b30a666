// The clip track the window's panes hold: the map's positions, the chart's samples and the
// dial's speeds, named together as the track's readers and exports take them, so that a
// snapshot's time and place come from the very track the map and the dial show.
#pragma once

#include "track/SnapshotFacts.h"
#include "track/TrackStores.h"

#include <optional>

// The stores of the process's map, chart and dial; nothing while any of them is missing.
std::optional<TrackStores> WindowTrackStores();

// The snapshot facts of a play time from those stores; empty facts without them.
SnapshotFacts WindowSnapshotFacts(double offset);
