#include "evidence/ExcerptSeconds.h"

#include "track/ClipTrack.h"

#include <algorithm>
#include <cmath>

std::vector<ExcerptSecond> ExcerptSeconds(const std::vector<const ClipTrack*>& tracks,
                                          const std::vector<ExcerptSpan>& spans) {
    std::vector<ExcerptSecond> seconds;
    double offset = 0;
    for (size_t i = 0; i < spans.size() && i < tracks.size(); ++i) {
        const ExcerptSpan& span = spans[i];
        const CMapTrackStore& map = tracks[i]->Map();
        const CSpeedDialModel& dial = tracks[i]->Dial();
        const double length = span.end - span.start;
        const int first = static_cast<int>(std::floor(span.start));
        const int last = static_cast<int>(std::ceil(span.end)) - 1;
        for (int s = std::max(first, 0); s <= last && static_cast<size_t>(s) < map.size(); ++s) {
            ExcerptSecond second;
            second.begin = offset + std::max(s - span.start, 0.0);
            second.end = offset + std::min(s + 1 - span.start, length);
            if (second.end <= second.begin) {
                continue;
            }
            const auto at = static_cast<size_t>(s);
            second.fix = map.HasPosition(s);
            second.latitude = map.m_latitudes[at];
            second.longitude = map.m_longitudes[at];
            second.utc = map.m_utcTimes[at];
            second.piece = i;
            second.source = s;
            if (const SpeedRecord* record = dial.Find(s)) {
                second.kmh = record->speed;
                second.heading = record->heading;
                second.hasSpeed = true;
            }
            seconds.push_back(second);
        }
        offset += length;
    }
    return seconds;
}

double ExcerptLength(const std::vector<ExcerptSpan>& spans) {
    double length = 0;
    for (const ExcerptSpan& span : spans) {
        length += span.end - span.start;
    }
    return length;
}
