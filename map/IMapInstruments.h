// What the map asks of the two instrument panes, which load and show a clip's track with
// it: the stores they show, emptied before the track loads and drawn again after. The wiring
// root hands in the window's panes; without them the map loads into stores nobody shows.
#pragma once

class CGSampleStore;
class CSpeedDialModel;

class IMapInstruments {
public:
    virtual ~IMapInstruments() = default;

    // The stores the chart and the dial show; null for a pane that is not there.
    virtual CGSampleStore* ChartStore() = 0;
    virtual CSpeedDialModel* DialModel() = 0;
    // Both panes without a track, as a clip's track is about to load.
    virtual void ClearTrack() = 0;
    // Both panes drawn again from their stores.
    virtual void Repaint() = 0;
};
