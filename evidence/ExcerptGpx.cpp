#include "evidence/ExcerptGpx.h"

#include "track/CGSampleStore.h"
#include "track/CMapTrackStore.h"
#include "track/CSpeedDialModel.h"
#include "track/TrackExport.h"
#include "track/TrackStores.h"

#include <cmath>
#include <sstream>

std::string ExcerptGpx(const std::vector<ExcerptSecond>& seconds, const std::string& name) {
    CMapTrackStore map;
    CGSampleStore chart;
    CSpeedDialModel dial;
    for (const ExcerptSecond& second : seconds) {
        // Rounded as the text track's reader places a cue, so both files agree.
        const int at = static_cast<int>(std::lround(second.begin));
        map.PutEntry(at, second.latitude, second.longitude, second.fix ? 'A' : 'V', second.utc);
        if (second.hasSpeed) {
            dial.SetSpeedRecord(at, second.kmh, second.heading);
        }
    }
    std::ostringstream out;
    WriteTrackGpx(out, TrackStores{map, chart, dial}, name);
    return out.str();
}
