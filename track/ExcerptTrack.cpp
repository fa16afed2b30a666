#include "track/ExcerptTrack.h"

#include <algorithm>
#include <cmath>

std::vector<ExcerptPiece> WholeDrivePieces(const Drive& drive) {
    std::vector<ExcerptPiece> pieces;
    for (const DriveClip& clip : drive.clips) {
        pieces.push_back({clip.main.path, 0.0, clip.main.seconds});
    }
    return pieces;
}

namespace {

// One past the last second any of the stores holds.
int EndOfStores(const TrackStores& stores) {
    size_t end = std::max(stores.map.size(), stores.chart.m_samples.size());
    if (!stores.dial.m_records.empty()) {
        end = std::max(end, static_cast<size_t>(stores.dial.m_records.rbegin()->first) + 1);
    }
    return static_cast<int>(end);
}

} // namespace

ExcerptTrack::ExcerptTrack() : m_stores{m_map, m_chart, m_dial} {}

void ExcerptTrack::Build(const std::vector<ExcerptPiece>& pieces, const TrackOf& trackOf) {
    m_map.Clear();
    m_dial.ClearSpeedRecords();
    m_chart.m_samples.clear();
    int next = 0; // the excerpt's second of the piece's first
    for (const ExcerptPiece& piece : pieces) {
        const int first = static_cast<int>(std::floor(piece.from));
        const int end = static_cast<int>(std::ceil(piece.to));
        const TrackStores* source = trackOf(piece.clip);
        const int stop = source != nullptr ? std::min(end, EndOfStores(*source)) : first;
        for (int s = first; s < stop; ++s) {
            const int at = next + s - first;
            const auto index = static_cast<size_t>(s);
            if (index < source->map.size()) {
                m_map.PutEntry(at, source->map.m_latitudes[index], source->map.m_longitudes[index],
                               source->map.m_fixStatus[index], source->map.m_utcTimes[index]);
            }
            if (const SpeedRecord* record = source->dial.Find(s)) {
                m_dial.SetSpeedRecord(at, record->speed, record->heading);
            }
            if (index < source->chart.m_samples.size()) {
                m_chart.m_samples.resize(static_cast<size_t>(at), GSample{});
                m_chart.m_samples.push_back(source->chart.m_samples[index]);
            }
        }
        next += std::max(end - first, 0);
    }
}
