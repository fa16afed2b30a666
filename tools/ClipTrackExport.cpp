#include "ClipTrackExport.h"

#include "track/TrackExport.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool Readable(const std::string& path, std::string& why) {
    // Without O_NONBLOCK a FIFO named like a clip would hold the tool until a writer came.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        why = std::strerror(errno);
        return false;
    }
    struct stat info {};
    const bool regular = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    char byte;
    const bool readable = regular && ::read(fd, &byte, 1) >= 0;
    const int error = errno;
    ::close(fd);
    if (!regular) {
        why = "not a regular file";
    } else if (!readable) {
        why = std::strerror(error);
    }
    return regular && readable;
}

} // namespace

bool ClipTrackExport::KnownFormat(const std::string& format) {
    return format == "csv" || format == "gpx" || format == "geojson" || format == "kml" ||
           format == "lines";
}

std::string ClipTrackExport::Extension(const std::string& format) {
    return format == "lines" ? "txt" : format;
}

bool ClipTrackExport::Read(const std::string& path, std::string& why) {
    if (!Readable(path, why)) {
        return false;
    }
    m_track.Load(path);
    return true;
}

void ClipTrackExport::Write(std::ostream& out, const std::string& format,
                            const std::string& name) const {
    if (format == "csv") {
        WriteTrackCsv(out, m_track.Stores());
    } else if (format == "gpx") {
        WriteTrackGpx(out, m_track.Stores(), name);
    } else if (format == "geojson") {
        WriteTrackGeoJson(out, m_track.Stores(), name);
    } else if (format == "kml") {
        WriteTrackKml(out, m_track.Stores(), name);
    } else {
        for (const std::string& line : m_track.SidecarLines()) {
            out << line << '\n';
        }
    }
}
