#include "track/readers/BlockSecond.h"

#include "track/CGSampleStore.h"
#include "track/CMapTrackStore.h"
#include "track/CSpeedDialModel.h"
#include "track/TrackLine.h"
#include "track/Truncate.h"

#include <string>

void PutBlockSecond(const TrackStores& stores, int second, const FreeGpsBlock& block) {
    stores.map.PutEntry(second, block.latitude, block.longitude, block.status, block.utcTime);
    if (block.hasSensor) {
        const std::string line = EmbeddedTrackLine(second * 1000, block.x, block.y, block.z);
        stores.chart.AddTrackLine(line.c_str());
    }
    stores.dial.SetSpeedRecord(second, TruncateToInt(block.speed), TruncateToInt(block.course));
}
