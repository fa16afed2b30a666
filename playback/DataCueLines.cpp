#include "playback/DataCueLines.h"

#include <cmath>

std::vector<std::string> TrackLinesFromCue(std::string_view text, double cueStartSeconds) {
    std::vector<std::string> lines;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (line.starts_with("T:")) {
            lines.emplace_back(line);
        } else if (line.starts_with("$")) {
            // The cue start is a container timestamp in seconds; rounding keeps 2.9999999
            // from becoming second 2.
            const long ms = std::isfinite(cueStartSeconds) && cueStartSeconds > 0
                                ? std::lround(cueStartSeconds * 1000)
                                : 0;
            lines.emplace_back("T:" + std::to_string(ms) + " ");
            lines.back().append(line);
        }
    }
    return lines;
}
