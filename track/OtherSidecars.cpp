#include "track/OtherSidecars.h"

#include "track/BlackVueTrack.h"
#include "track/CMapTrackStore.h"
#include "track/SeventyMaiLog.h"

#include <filesystem>
#include <system_error>

TrackSourceOutcome LoadOtherSidecars(const ClipFolder& folder, const TrackStores& stores) {
    TrackSourceOutcome outcome;
    if (const std::optional<BlackVueTrack> blackVue = ReadBlackVueSidecars(folder)) {
        outcome.source = "BlackVue logs";
        outcome.path = folder.Beside(".gps");
        outcome.gave = FillBlackVueTrack(*blackVue, stores);
    } else if (std::error_code error;
               std::filesystem::is_regular_file(folder.Beside(".NMEA"), error)) {
        outcome.source = "NMEA log";
        outcome.path = folder.Beside(".NMEA");
        outcome.gave = stores.map.LoadNmeaLog(outcome.path);
    } else {
        outcome.source = "70mai logs";
        outcome.path = folder.ClipPath();
        outcome.gave = LoadSeventyMaiTrack(folder, stores);
        if (!outcome.gave) {
            outcome.why = "no 70mai log with a fix inside the clip";
        }
        return outcome;
    }
    if (!outcome.gave) {
        outcome.why = "no valid fix";
    }
    return outcome;
}
