// The playlist's view of the map: the one map view's own loading operations, which reset
// the map, its track store and both instruments before filling them. Until the map view
// exists there is no track to load.
#pragma once

#include "library/IPlaylistMapView.h"

class CMapViewLink : public IPlaylistMapView {
public:
    bool LoadEmbeddedTrack(ClipTrackLoader& loader) override;
    void LoadNmeaLog(ClipTrackLoader& loader) override;
};
