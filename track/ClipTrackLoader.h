// Everything a clip's track goes through when the clip is chosen and its open succeeds, in
// the player's order: the data embedded in the clip (freeGPS blocks, else BlackVue boxes,
// else NMEA in a text track: LoadEmbeddedTrack); when it gave no valid fix, the
// sidecar read as an NMEA log, and when that gave none either, the logs other makers'
// cameras write (OtherSidecars); then the sidecar's track lines through the dispatch.
#pragma once

#include <functional>
#include <string>

#include "track/TrackStores.h"

struct ClipTrackLoad {
    bool embeddedFix = false;
    bool nmeaLogFix = false;
    int sidecarLines = 0;
};

// The dispatch's consumers must already lead to `stores` for the sidecar's lines to land.
ClipTrackLoad LoadClipTrack(const std::string& clipPath, const TrackStores& stores);

// The same steps with the sidecar's lines handed to `lines` instead of the dispatch, so
// several clips can load at once, each into its own stores.
ClipTrackLoad LoadClipTrack(const std::string& clipPath, const TrackStores& stores,
                            const std::function<void(const std::string& line)>& lines);
