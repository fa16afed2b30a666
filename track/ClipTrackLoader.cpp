#include "track/ClipTrackLoader.h"

#include "track/CMapTrackStore.h"
#include "track/EmbeddedTrack.h"
#include "track/OtherSidecars.h"
#include "track/SidecarLog.h"

namespace {

ClipTrackLoad LoadStoresOnly(const std::string& clipPath, const TrackStores& stores) {
    ClipTrackLoad load;
    load.embeddedFix = LoadEmbeddedTrack(clipPath, stores);
    if (!load.embeddedFix) {
        load.nmeaLogFix =
            stores.map.LoadNmeaLog(SidecarPathFor(clipPath)) || LoadOtherSidecars(clipPath, stores);
    }
    return load;
}

} // namespace

ClipTrackLoad LoadClipTrack(const std::string& clipPath, const TrackStores& stores) {
    ClipTrackLoad load = LoadStoresOnly(clipPath, stores);
    load.sidecarLines = ReadSidecarLog(clipPath);
    return load;
}

ClipTrackLoad LoadClipTrack(const std::string& clipPath, const TrackStores& stores,
                            const std::function<void(const std::string& line)>& lines) {
    ClipTrackLoad load = LoadStoresOnly(clipPath, stores);
    load.sidecarLines = ReadSidecarLog(clipPath, lines);
    return load;
}
