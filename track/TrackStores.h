// The three per-second stores a clip's track fills, as the readers reach them. The panes
// own the stores; this only names them together for the loaders.
#pragma once

class CMapTrackStore;
class CGSampleStore;
class CSpeedDialModel;

struct TrackStores {
    CMapTrackStore& map;
    CGSampleStore& chart;
    CSpeedDialModel& dial;
};
