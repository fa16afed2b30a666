// Reads arbitrary bytes as a clip whose text tracks may hold NMEA: the sample tables are
// walked and every cue found is loaded into the real stores.
#include "track/CGSampleStore.h"
#include "track/CMapTrackStore.h"
#include "track/CSpeedDialModel.h"
#include "track/MemoryBytes.h"
#include "track/Mp4TextSamples.h"
#include "track/NmeaTextTrack.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MemoryBytes source(data, size);
    ForEachMp4TextSample(source, [](const TextSample&) {});
    CMapTrackStore map;
    CGSampleStore chart;
    CSpeedDialModel dial;
    LoadNmeaTextTrack(source, {map, chart, dial});
    return 0;
}
