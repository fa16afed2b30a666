// ostvik-track: prints the track the player would show for a clip, by running the same
// loading steps on it as choosing the clip in the player does.

#include "track/CGSampleStore.h"
#include "track/CMapTrackStore.h"
#include "track/CSpeedDialModel.h"
#include "track/ClipTrackLoader.h"
#include "track/TrackDispatch.h"
#include "track/TrackExport.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <iostream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr const char* kUsage =
    "usage: ostvik-track [--format csv|gpx|geojson|kml|lines] PATH\n"
    "Prints the per-second track of the clip PATH: its embedded GPS blocks, else its\n"
    "sidecar log read as NMEA, then the sidecar's track lines.\n";

int UsageError(const std::string& why) {
    std::cerr << "ostvik-track: " << why << "\n" << kUsage;
    return 2;
}

// The clip must be a readable regular file; the loaders themselves fail silently.
bool Readable(const std::string& path, std::string& why) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
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

int main(int argc, char** argv) {
    std::string format = "csv";
    std::string path;
    const std::vector<std::string> args(argv + 1, argv + argc);
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "-h" || arg == "--help") {
            std::cout << kUsage;
            return 0;
        }
        if (arg == "--format" || arg == "-f") {
            if (i + 1 == args.size()) {
                return UsageError("--format needs a value");
            }
            format = args[++i];
        } else if (arg.rfind("--format=", 0) == 0) {
            format = arg.substr(9);
        } else if (arg.size() > 1 && arg[0] == '-' && path.empty()) {
            return UsageError("unknown option " + arg);
        } else if (path.empty()) {
            path = arg;
        } else {
            return UsageError("only one PATH is taken");
        }
    }
    if (format != "csv" && format != "gpx" && format != "geojson" && format != "kml" &&
        format != "lines") {
        return UsageError("unknown format " + format);
    }
    if (path.empty()) {
        return UsageError("no PATH given");
    }
    std::string why;
    if (!Readable(path, why)) {
        std::cerr << "ostvik-track: cannot read " << path << ": " << why << "\n";
        return 1;
    }

    CMapTrackStore map;
    CGSampleStore chart;
    CSpeedDialModel dial;
    map.SetSpeedDial(&dial);
    const TrackStores stores{map, chart, dial};

    std::vector<std::string> dispatched;
    SetTrackLineConsumers(
        [&](const char* line) {
            if (line != nullptr) {
                dispatched.emplace_back(line);
            }
            return chart.AddTrackLine(line);
        },
        [&](const char* line) { return map.StoreTrackLine(line); });

    LoadClipTrack(path, stores);

    const std::string name = std::filesystem::path(path).filename().string();
    std::ios::sync_with_stdio(false);
    if (format == "csv") {
        WriteTrackCsv(std::cout, stores);
    } else if (format == "gpx") {
        WriteTrackGpx(std::cout, stores, name);
    } else if (format == "geojson") {
        WriteTrackGeoJson(std::cout, stores, name);
    } else if (format == "kml") {
        WriteTrackKml(std::cout, stores, name);
    } else {
        for (const std::string& line : dispatched) {
            std::cout << line << '\n';
        }
    }
    std::cout.flush();
    if (!std::cout) {
        std::cerr << "ostvik-track: writing the output failed\n";
        return 1;
    }
    return 0;
}
