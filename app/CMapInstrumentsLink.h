// The map's view of the window's chart and dial: the panes of the process, when there are.
#pragma once

#include "map/IMapInstruments.h"

class CMapInstrumentsLink : public IMapInstruments {
public:
    CGSampleStore* ChartStore() override;
    CSpeedDialModel* DialModel() override;
    void ClearTrack() override;
    void Repaint() override;
};
