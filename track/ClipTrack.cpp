#include "track/ClipTrack.h"

#include "track/ClipTrackLoader.h"

ClipTrack::ClipTrack() : m_stores{m_map, m_chart, m_dial, &m_extras} {
    m_map.SetSpeedDial(&m_dial);
}

void ClipTrack::Load(const std::string& clipPath) {
    ClipTrackLoad load = LoadClipTrack(clipPath, m_stores, [this](const std::string& line) {
        m_lines.push_back(line);
        m_chart.AddTrackLine(line.c_str());
        m_map.StoreTrackLine(line.c_str());
    });
    m_outcomes = std::move(load.outcomes);
}
