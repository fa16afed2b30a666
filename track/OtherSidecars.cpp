#include "track/OtherSidecars.h"

#include "track/BlackVueTrack.h"
#include "track/CMapTrackStore.h"
#include "track/SeventyMaiLog.h"
#include "track/SidecarLog.h"

#include <filesystem>
#include <system_error>

bool LoadOtherSidecars(const std::string& clipPath, const TrackStores& stores) {
    if (const std::optional<BlackVueTrack> blackVue = ReadBlackVueSidecars(clipPath)) {
        return FillBlackVueTrack(*blackVue, stores);
    }
    const std::string nmea = SidecarPathWithExtension(clipPath, ".NMEA");
    std::error_code error;
    if (std::filesystem::is_regular_file(nmea, error)) {
        return stores.map.LoadNmeaLog(nmea);
    }
    return LoadSeventyMaiTrack(clipPath, stores);
}
