// Reads arbitrary bytes as a BlackVue clip's boxes, and as its gps text and 3gf records.
#include "track/BlackVueTrack.h"
#include "track/CGSampleStore.h"
#include "track/CMapTrackStore.h"
#include "track/CSpeedDialModel.h"
#include "track/MemoryBytes.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CMapTrackStore map;
    CGSampleStore chart;
    CSpeedDialModel dial;
    map.SetSpeedDial(&dial);
    MemoryBytes source(data, size);
    if (const std::optional<BlackVueTrack> track = ReadBlackVueBoxes(source)) {
        FillBlackVueTrack(*track, {map, chart, dial});
    }
    const std::string text(reinterpret_cast<const char*>(data), size);
    FillBlackVueTrack({text.substr(0, size / 2), text.substr(size / 2)}, {map, chart, dial});
    return 0;
}
