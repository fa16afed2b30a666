// Hands arbitrary bytes to every reader of the camera table, as the clip or as the file
// beside it, each into empty stores bounded as the loader bounds them. Each family's seeds
// are a folder of its own in this target's corpus.
#include "track/CGSampleStore.h"
#include "track/CMapTrackStore.h"
#include "track/CSpeedDialModel.h"
#include "track/CameraExtras.h"
#include "track/MemoryBytes.h"
#include "track/readers/CameraReaders.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = "fuzz-input";
    for (const CameraReader* reader : CameraReaders()) {
        CMapTrackStore map;
        CGSampleStore chart;
        CSpeedDialModel dial;
        CameraExtras extras;
        map.SetSpeedDial(&dial);
        map.SetLastSecond(3600);
        chart.SetLastTrackSecond(3600);
        dial.SetLastSecond(3600);
        extras.SetLastSecond(3600);
        MemoryBytes bytes(data, size);
        if (reader->Claims(bytes)) {
            reader->Read({bytes, path, nullptr}, {map, chart, dial, &extras});
        }
    }
    return 0;
}
