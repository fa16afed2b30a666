// What the playlist asks of the map view when a clip is opened: the track embedded in the
// clip (resetting the map and the instruments), and the sidecar NMEA log when the clip held
// no fix of its own. The wiring root connects it to whatever holds the map's track.
#pragma once

class ClipTrackLoader;

class IPlaylistMapView {
public:
    virtual ~IPlaylistMapView() = default;

    // Wipes the track and fills it from the data embedded in the loader's clip; true when
    // it held a valid fix.
    virtual bool LoadEmbeddedTrack(ClipTrackLoader& loader) = 0;
    // Refills the track from the clip's sidecar log, else other makers' logs beside it.
    virtual void LoadNmeaLog(ClipTrackLoader& loader) = 0;
};
