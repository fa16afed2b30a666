#include "track/ClipTrackLoader.h"

#include "track/CMapTrackStore.h"
#include "track/EmbeddedTrack.h"
#include "track/OtherSidecars.h"
#include "track/SidecarLog.h"

ClipTrackLoad LoadClipTrack(const std::string& clipPath, const TrackStores& stores) {
    ClipTrackLoad load;
    load.embeddedFix = LoadEmbeddedTrack(clipPath, stores);
    if (!load.embeddedFix) {
        load.nmeaLogFix =
            stores.map.LoadNmeaLog(SidecarPathFor(clipPath)) || LoadOtherSidecars(clipPath, stores);
    }
    load.sidecarLines = ReadSidecarLog(clipPath);
    return load;
}
