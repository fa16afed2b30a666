// Feeds arbitrary bytes to the sidecar reader and sends every line it makes through the
// real consumers: the chart's and the map view's stores and the dial behind the map.
#include "track/CGSampleStore.h"
#include "track/CMapTrackStore.h"
#include "track/CSpeedDialModel.h"
#include "track/SidecarLog.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CGSampleStore chart;
    CMapTrackStore map;
    CSpeedDialModel dial;
    map.SetSpeedDial(&dial);
    ForEachSidecarTrackLine(std::string_view(reinterpret_cast<const char*>(data), size),
                            [&](const std::string& line) {
                                chart.AddTrackLine(line.c_str());
                                map.StoreTrackLine(line.c_str());
                            });
    for (int s = -1; s <= static_cast<int>(map.size()); ++s) {
        map.ShowSecond(s);
        dial.ShowSpeedAt(s);
    }
    for (size_t s = 0; s < chart.m_samples.size(); ++s) {
        PointAt({0, 0, 200, 76}, chart.m_nScale, static_cast<unsigned>(s), chart.m_samples[s].x);
    }
    return 0;
}
