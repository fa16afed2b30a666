#include "playback/DriveSegments.h"

#include <algorithm>
#include <charconv>

void DriveSegments::Set(std::vector<double> starts, double total) {
    m_starts.clear();
    if (starts.empty() || starts.front() != 0 || !(total > starts.back()) ||
        !std::is_sorted(starts.begin(), starts.end()) ||
        std::adjacent_find(starts.begin(), starts.end()) != starts.end()) {
        return;
    }
    m_starts = std::move(starts);
    m_total = total;
}

int DriveSegments::ClipAt(double driveTime) const {
    if (m_starts.empty()) {
        return 0;
    }
    const auto after = std::upper_bound(m_starts.begin(), m_starts.end(), driveTime);
    return after == m_starts.begin() ? 0 : static_cast<int>(after - m_starts.begin()) - 1;
}

double DriveSegments::Start(int clip) const {
    return clip >= 0 && clip < Count() ? m_starts[static_cast<size_t>(clip)] : 0.0;
}

double DriveSegments::Length(int clip) const {
    if (clip < 0 || clip >= Count()) {
        return 0.0;
    }
    const double end = clip + 1 < Count() ? m_starts[static_cast<size_t>(clip) + 1] : m_total;
    return end - m_starts[static_cast<size_t>(clip)];
}

std::string DriveTimelineAddress(const std::vector<std::string>& paths,
                                 const std::vector<double>& lengths) {
    std::string address = "edl://";
    for (size_t i = 0; i < paths.size(); ++i) {
        if (i > 0) {
            address += ';';
        }
        address += '%' + std::to_string(paths[i].size()) + '%' + paths[i];
        if (i < lengths.size() && lengths[i] > 0) {
            // to_chars writes the C locale's decimal point whatever the process locale says.
            char number[32];
            const auto written = std::to_chars(number, number + sizeof number, lengths[i],
                                               std::chars_format::fixed, 6);
            address += ",length=" + std::string(number, written.ptr);
        }
    }
    return address;
}
