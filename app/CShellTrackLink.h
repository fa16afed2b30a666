// The playlist's view of the map's track while the shell holds it: the map's positions in
// the shell's store, the chart's samples and the dial's records, filled by the track/
// readers.
#pragma once

#include "library/IPlaylistMapView.h"

class CMapTrackStore;
class CSpeedStatic;

class CShellTrackLink : public IPlaylistMapView {
public:
    CShellTrackLink(CMapTrackStore& mapStore, CSpeedStatic& dial)
        : m_mapStore(mapStore), m_dial(dial) {}

    bool LoadEmbeddedTrack(const QString& clipPath) override;
    void LoadNmeaLog(const QString& sidecarPath) override;

private:
    CMapTrackStore& m_mapStore;
    CSpeedStatic& m_dial;
};
