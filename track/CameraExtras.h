// What a camera writes beside its track that no pane shows (a car's gear, pedals, blinkers):
// named columns and, per second, one text value for each, kept so the track tool's CSV
// carries them. Bounded like the other per-second stores by the clip's last second. Names
// and values are the reader's own plain text (enum names, numbers): no comma, quote or line
// break, so the CSV writes them as they are.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "track/TrackLine.h"

class CameraExtras {
public:
    // Forgets the columns and every second's values.
    void Clear();

    // Names the columns, in the order each second's values come; forgets any values.
    void SetColumns(std::vector<std::string> names);
    const std::vector<std::string>& Columns() const { return m_columns; }

    // The last second kept, kMaxTrackSecond until a clip's loader sets the clip's own.
    void SetLastSecond(int second) { m_lastSecond = second; }
    int LastSecond() const { return m_lastSecond; }

    // Keeps a second's values, replacing earlier ones. A second before 0 or past the last
    // one, or values that do not match the columns one for one, are dropped.
    void Put(int second, std::vector<std::string> values);

    // The second's values, one per column, or null when it has none.
    const std::vector<std::string>* Find(int second) const;
    // The latest second with values, or -1.
    int LastFilledSecond() const;
    bool Empty() const { return m_seconds.empty(); }

private:
    std::vector<std::string> m_columns;
    std::map<int, std::vector<std::string>> m_seconds;
    int m_lastSecond = kMaxTrackSecond;
};
