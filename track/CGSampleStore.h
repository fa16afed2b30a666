// The G-sensor chart's per-second samples, its horizontal scale and the last second the
// playback tick handed over, kept apart from the chart widget so the rules of the store
// and of the value-to-pixel mapping can be tested without a window.
#pragma once

#include <vector>

struct GSample {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    float g = 0.0f;
};

enum class GAxis { X, Y, Z, G };

float AxisValue(const GSample& sample, GAxis axis);

struct ChartRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

struct ChartPoint {
    int x = 0;
    int y = 0;
    bool operator==(const ChartPoint&) const = default;
};

// Where sample `index` with `value` (in g) falls: the whole clip spans the width, with
// index `scale` on the right edge; +2 g on the top row, 0 g on row height / 2.
ChartPoint PointAt(const ChartRect& rect, unsigned scale, unsigned index, double value);

class CGSampleStore {
public:
    CGSampleStore();

    // Stores the sample of a track line at its second, cutting off every later sample
    // and filling missing seconds with zero samples. 0 for a line without a time field.
    int AddTrackLine(const char* line);

    // Starts a new clip: one zero sample, the scale `seconds` (1 for 0).
    void ResetTrack(int seconds);

    // True once after a change that leaves curves on screen that the store no longer
    // holds (a cut or a reset); the chart answers with a full repaint.
    bool TakeRepaintRequest();

    // The last second the store takes, kMaxTrackSecond until a clip's loader sets the
    // clip's own; a later one would stretch the scale until the clip is a sliver.
    void SetLastTrackSecond(int second) { m_nLastTrackSecond = second; }

    std::vector<GSample> m_samples;
    unsigned m_nScale = 10000;
    unsigned m_nLastSecond = 0;

private:
    bool m_bRepaint = false;
    int m_nLastTrackSecond;
};
