// What changed in a clip's track, as the panes that show it hear of it: the whole track was
// filled anew, or one line landed at one second of the chart's samples or of the map's
// positions. The map draws its road again only when a line moved an entry it already
// drew, so a map line says whether the entry there took another place.
#pragma once

class CMapTrackStore;

struct TrackChange {
    enum class Kind { Reloaded, ChartLine, MapLine };
    Kind kind = Kind::Reloaded;
    int second = -1;
    bool moved = false;
};

// Stores a track line in the map's store (CMapTrackStore::StoreTrackLine, whose answer goes
// to `stored`) and says what that changed: a map line at the line's second, moved when the
// second already held an entry and its place or fix is no longer the same.
TrackChange StoreMapTrackLine(CMapTrackStore& store, const char* line, int& stored);
