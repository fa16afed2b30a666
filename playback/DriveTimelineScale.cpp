#include "playback/DriveTimelineScale.h"

#include <algorithm>

double DriveTimelineSpan(const Drive& drive) {
    double span = static_cast<double>(drive.seconds);
    if (!drive.clips.empty()) {
        const DriveClip& last = drive.clips.back();
        span = std::max(span, static_cast<double>(last.at + ClipLengthInDrive(last)));
    }
    return std::max(span, 1.0);
}

DriveTimelineScale::DriveTimelineScale(double span, int left, int right)
    : m_span(std::max(span, 1.0)), m_left(left), m_right(std::max(right, left + 1)) {}

double DriveTimelineScale::XOf(double second) const {
    return m_left + second * (m_right - m_left) / m_span;
}

double DriveTimelineScale::SecondAt(double x) const {
    const double second = (x - m_left) * m_span / (m_right - m_left);
    return std::clamp(second, 0.0, m_span);
}
