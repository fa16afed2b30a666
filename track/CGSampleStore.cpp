#include "track/CGSampleStore.h"

#include "track/TrackLine.h"
#include "track/Truncate.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace {

float FiniteOrZero(float value) {
    return std::isfinite(value) ? value : 0.0f;
}

// The four values of " X:<x> Y:<y> Z:<z> G:<g>" written plainly, as every reader writes
// them, or false for anything else. For what it accepts it reads what scanf reads, and
// leaves every other spelling (blanks after a colon, a '+', hex, a cut exponent) to scanf.
bool ReadPlainSensorFields(const char* rest, GSample& sample) {
    const char* const names[] = {" X:", " Y:", " Z:", " G:"};
    float* const values[] = {&sample.x, &sample.y, &sample.z, &sample.g};
    const char* p = rest;
    for (int i = 0; i < 4; ++i) {
        if (p[0] != names[i][0] || p[1] != names[i][1] || p[2] != names[i][2]) {
            return false;
        }
        p += 3;
        const char* end = p;
        while (*end != '\0' && *end != ' ') {
            ++end;
        }
        const std::from_chars_result read = std::from_chars(p, end, *values[i]);
        if (read.ec != std::errc() || read.ptr != end) {
            return false;
        }
        p = end;
    }
    return true;
}

} // namespace

float AxisValue(const GSample& sample, GAxis axis) {
    switch (axis) {
    case GAxis::X:
        return sample.x;
    case GAxis::Y:
        return sample.y;
    case GAxis::Z:
        return sample.z;
    case GAxis::G:
        return sample.g;
    }
    return 0.0f;
}

ChartPoint PointAt(const ChartRect& rect, unsigned scale, unsigned index, double value) {
    // A store of one sample has scale 0; its only sample sits on the left edge.
    const double perSample = scale == 0 ? 0.0 : rect.width * 1.0 / scale;
    const int half = rect.height / 2;
    ChartPoint point;
    point.x = TruncateToInt(rect.left + index * perSample);
    point.y = TruncateToInt(rect.top + half - half * value / 2.0);
    return point;
}

CGSampleStore::CGSampleStore() : m_samples(1), m_nLastTrackSecond(kMaxTrackSecond) {}

int CGSampleStore::AddTrackLine(const char* line) {
    if (line == nullptr) {
        return 0;
    }
    std::optional<int> second = TrackLineSecond(line);
    if (!second || *second > m_nLastTrackSecond) {
        return 0;
    }
    // Read like "T:%d X:%f Y:%f Z:%f G:%f", starting after the time field so a long time
    // cannot overflow scanf's int; the values after the first mismatch stay 0.
    const char* rest = line + 2;
    rest += (*rest == '-' || *rest == '+') ? 1 : 0;
    while (*rest >= '0' && *rest <= '9') {
        ++rest;
    }
    GSample sample;
    if (!ReadPlainSensorFields(rest, sample)) {
        sample = GSample{};
        std::sscanf(rest, " X:%f Y:%f Z:%f G:%f", &sample.x, &sample.y, &sample.z, &sample.g);
    }
    sample = {FiniteOrZero(sample.x), FiniteOrZero(sample.y), FiniteOrZero(sample.z),
              FiniteOrZero(sample.g)};

    const auto at = static_cast<size_t>(*second);
    if (at < m_samples.size()) {
        m_samples.resize(at);
        m_bRepaint = true;
    } else if (at > m_samples.size()) {
        m_samples.resize(at);
    }
    m_samples.push_back(sample);
    m_nScale = static_cast<unsigned>(m_samples.size() - 1);
    return 1;
}

void CGSampleStore::ResetTrack(int seconds) {
    m_nLastSecond = 0;
    m_nScale = seconds == 0 ? 1 : static_cast<unsigned>(seconds);
    m_samples.assign(1, GSample{});
    m_bRepaint = true;
}

bool CGSampleStore::TakeRepaintRequest() {
    bool repaint = m_bRepaint;
    m_bRepaint = false;
    return repaint;
}
