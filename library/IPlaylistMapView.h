// What the playlist asks of the map view when a clip is opened: the track embedded in the
// clip (resetting the map and the instruments), and the sidecar NMEA log when the clip held
// no fix of its own. The wiring root connects it to whatever holds the map's track.
#pragma once

#include <QString>

class IPlaylistMapView {
public:
    virtual ~IPlaylistMapView() = default;

    // Wipes the track and fills it from the clip's own GPS blocks; true when at least one of
    // them held a valid fix.
    virtual bool LoadEmbeddedTrack(const QString& clipPath) = 0;
    virtual void LoadNmeaLog(const QString& sidecarPath) = 0;
};
