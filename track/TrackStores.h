// The per-second stores a clip's track fills, as the readers reach them. The panes own the
// three they show; the extras are kept only where something writes them out (the track
// tool), so a reader fills them when they are there and the player goes without.
#pragma once

class CMapTrackStore;
class CGSampleStore;
class CSpeedDialModel;
class CameraExtras;

struct TrackStores {
    CMapTrackStore& map;
    CGSampleStore& chart;
    CSpeedDialModel& dial;
    CameraExtras* extras = nullptr;
};
