#include "track/SidecarLog.h"

#include "track/ClipFolder.h"
#include "track/LogText.h"
#include "track/RegularFileRead.h"
#include "track/TrackDispatch.h"
#include "track/TrackLine.h"

#include <algorithm>
#include <cctype>

namespace {

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

bool EndsWith(const std::string& text, std::string_view suffix) {
    return text.size() >= suffix.size() &&
           text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

} // namespace

std::string SidecarPathFor(const std::string& clipPath) {
    return SidecarPathWithExtension(clipPath, ".TXT");
}

std::string SidecarPathWithExtension(const std::string& clipPath, const std::string& extension) {
    return ClipFolder(clipPath).Beside(extension);
}

bool CarriesSidecarLog(const std::string& clipPath) {
    const std::string upper = Upper(clipPath);
    return EndsWith(upper, ".MOV") || EndsWith(upper, ".AVI");
}

std::string SidecarLogOf(const std::string& clipPath) {
    return CarriesSidecarLog(clipPath) ? SidecarPathFor(clipPath) : std::string();
}

bool IsSensorSidecar(std::string_view bytes) {
    for (size_t at = 0; at < bytes.size(); at = bytes.find_first_of("\r\n", at)) {
        while (at < bytes.size() && (bytes[at] == '\r' || bytes[at] == '\n')) {
            ++at;
        }
        if (at < bytes.size() && bytes[at] == 'X') {
            return true;
        }
    }
    return false;
}

void ForEachSidecarTrackLine(std::string_view bytes,
                             const std::function<void(const std::string& line)>& emit) {
    // A receiver's plain NMEA log beside a .MOV writes several sentences a second; its
    // lines are not seconds, and the NMEA log reader has already placed them by time.
    if (!IsSensorSidecar(bytes)) {
        return;
    }
    int time = 0;
    size_t start = 0;
    for (size_t i = 0; i < bytes.size() && time / 1000 <= kMaxTrackSecond; ++i) {
        const char byte = bytes[i];
        if (byte != '\r' && byte != '\n') {
            continue;
        }
        const std::string_view line = bytes.substr(start, i - start);
        if (!line.empty() && line.front() == 'X') {
            emit(SensorTrackLine(time, line));
        } else if (!line.empty() && line.front() == '$') {
            emit(SentenceTrackLine(time, line));
        }
        if (byte == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') {
            ++i;
        }
        start = i + 1;
        time += 1000;
    }
}

int ReadSidecarLog(const std::string& clipPath) {
    return ReadSidecarLog(clipPath, [](const std::string& line) {
        DispatchTrackLine(line.c_str(), static_cast<int>(line.size()), nullptr);
    });
}

int ReadSidecarLog(const std::string& clipPath,
                   const std::function<void(const std::string& line)>& emit) {
    const std::string sidecar = SidecarLogOf(clipPath);
    if (sidecar.empty()) {
        return 0;
    }
    const std::optional<std::string> bytes = ReadRegularFile(sidecar, kMaxNmeaTextBytes);
    return bytes ? SidecarTrackLines(*bytes, emit) : 0;
}

int SidecarTrackLines(const std::string& bytes,
                      const std::function<void(const std::string& line)>& emit) {
    int dispatched = 0;
    // A log saved as UTF-16 is read as the text it holds, as the NMEA log reader reads it.
    ForEachSidecarTrackLine(LogText(bytes), [&](const std::string& line) {
        emit(line);
        ++dispatched;
    });
    return dispatched;
}
