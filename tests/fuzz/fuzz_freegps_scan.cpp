// Scans arbitrary bytes for freeGPS blocks. The input is placed after a mebibyte of zeros,
// where the scan starts, and also planted as a block so the decoder sees damaged fields.
#include "track/CGSampleStore.h"
#include "track/CMapTrackStore.h"
#include "track/CSpeedDialModel.h"
#include "track/EmbeddedTrack.h"
#include "track/MemoryBytes.h"
#include "track/TrackLine.h"
#include "track/Truncate.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<unsigned char> bytes(kFirstBlockSearch + size);
    if (size > 0) {
        std::memcpy(bytes.data() + kFirstBlockSearch, data, size);
    }
    if (size >= kFreeGpsBlockLength + 1) {
        std::memcpy(bytes.data() + kFirstBlockSearch, "freeGPS", 7);
    }
    CMapTrackStore map;
    CGSampleStore chart;
    CSpeedDialModel dial;
    int second = 0;
    MemoryBytes source(bytes.data(), bytes.size());
    ScanFreeGpsBlocks(source, [&](const FreeGpsBlock& block) {
        map.PutEntry(second, block.latitude, block.longitude, block.status);
        chart.AddTrackLine(
            EmbeddedTrackLine(second * 1000, block.x / 64.0, block.y / 64.0, block.z / 64.0)
                .c_str());
        dial.SetSpeedRecord(second, TruncateToInt(block.speed), TruncateToInt(block.course));
        map.ShowSecond(second);
        ++second;
    });
    return 0;
}
