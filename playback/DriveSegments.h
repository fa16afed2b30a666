// A drive's clips laid end to end on one timeline, as the engine plays them: where each clip
// starts on it, and the way between the drive's time and a clip's own. The clips' times are
// what every pane shows; the drive's time is the engine's alone.
#pragma once

#include <string>
#include <vector>

class DriveSegments {
public:
    // `starts` are the clips' starts on the drive's timeline, the first at 0 and rising;
    // `total` is the drive's length. Anything else leaves no segments.
    void Set(std::vector<double> starts, double total);
    void Clear() { m_starts.clear(); }
    bool Empty() const { return m_starts.empty(); }
    int Count() const { return static_cast<int>(m_starts.size()); }

    // The clip playing at `driveTime`; a time between two clips belongs to the later one.
    int ClipAt(double driveTime) const;
    double Start(int clip) const;
    double Length(int clip) const;

private:
    std::vector<double> m_starts;
    double m_total = 0;
};

// The address that makes the engine play `paths` as one timeline. Each path is given with
// its byte length, so that commas, semicolons and percent signs in it stay part of it.
// `lengths`, where given (one per path), cut or stretch each clip's part to that length, so
// that another camera's clips keep the main clips' boundaries.
std::string DriveTimelineAddress(const std::vector<std::string>& paths,
                                 const std::vector<double>& lengths = {});
