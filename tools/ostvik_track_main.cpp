// ostvik-track: prints the track the player would show for a clip, by running the same
// loading steps on it as choosing the clip in the player does; or exports many clips at
// once into a folder; or lists the drives a card's clips make, or the driving events
// of clips.

#include "ClipEventsReport.h"
#include "ClipTrackExport.h"
#include "CommandLine.h"
#include "DriveList.h"
#include "GpkgBatch.h"
#include "PostgisBatch.h"
#include "TrackBatch.h"

#include "gpkg/PgConnection.h"

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

namespace {

constexpr const char* kUsage =
    "usage: ostvik-track [--format csv|gpx|geojson|kml|lines] PATH\n"
    "       ostvik-track [--format FORMAT] --out-dir DIR [--merge] PATH...\n"
    "       ostvik-track --events CLIP...\n"
    "       ostvik-track --drives PATH...\n"
    "       ostvik-track --format gpkg --out FILE.gpkg [--batch N] PATH...\n"
    "       ostvik-track --merge-gpkg --out FILE.gpkg PART.gpkg...\n"
    "       ostvik-track --format postgis --db CONNINFO [--batch N] PATH...\n"
    "       ostvik-track --drives-from-db --db CONNINFO\n"
    "Prints the per-second track of the clip PATH: its embedded GPS blocks, else its\n"
    "sidecar log read as NMEA, then the sidecar's track lines. With --out-dir, reads every\n"
    "clip PATH names or holds (.mp4, .mov, .avi below folders, any letter case) in parallel\n"
    "and writes one file per clip to DIR; --merge adds DIR/merged.gpx, all clips' tracks\n"
    "in time order, a segment per clip. With --events, lists each CLIP's driving events\n"
    "(harsh braking and acceleration, hard cornering, impacts, a clip the camera locked),\n"
    "tab-separated: clip, second, kind, peak g, km/h.\n"
    "With --drives, reads the same clips as --out-dir and prints one tab-separated row per\n"
    "drive: first and last clip, clip files, start and end (UTC with Z, the camera's clock\n"
    "without), seconds, km, top km/h and driving events.\n"
    "With --format gpkg, adds the same clips to the GeoPackage FILE (layers seconds, clips,\n"
    "drives), skipping clips it holds (same path, size and modification time), N clips a\n"
    "transaction (default 50; 1000 for --merge-gpkg, which merges GeoPackages so made\n"
    "into FILE).\n"
    "With --format postgis, writes the same layers into the PostgreSQL database CONNINFO\n"
    "(libpq's connection string or URI; the password from ~/.pgpass or PGPASSWORD) with\n"
    "PostGIS, any number of runs at once, without grouping drives; --drives-from-db groups\n"
    "the drives of all its clips once they are in.\n";

constexpr CommandLine kTool{"ostvik-track", kUsage};

int UsageError(const std::string& why) {
    return UsageError(kTool, why);
}

int PrintEvents(const std::vector<std::string>& paths) {
    std::ios::sync_with_stdio(false);
    const int status = WriteClipEvents(paths, std::cout);
    std::cout.flush();
    if (!std::cout) {
        std::cerr << "ostvik-track: writing the output failed\n";
        return 1;
    }
    return status;
}

int PrintOne(const std::string& path, const std::string& format) {
    ClipTrackExport clip;
    std::string why;
    if (!clip.Read(path, why)) {
        std::cerr << "ostvik-track: cannot read " << path << ": " << why << "\n";
        return 1;
    }
    std::ios::sync_with_stdio(false);
    clip.Write(std::cout, format, std::filesystem::path(path).filename().string());
    std::cout.flush();
    if (!std::cout) {
        std::cerr << "ostvik-track: writing the output failed\n";
        return 1;
    }
    return 0;
}

int RunPostgis(const TrackBatchOptions& options, const std::string& db, bool drivesFromDb,
               size_t batch, bool nothingElse) {
    if (db.empty()) {
        return UsageError("PostGIS needs --db CONNINFO");
    }
    if (PgConnection::HoldsPassword(db)) {
        return UsageError("--db holds a password, which every user of the machine can see; "
                          "give it in ~/.pgpass or PGPASSWORD");
    }
    if (!nothingElse) {
        return UsageError("--db takes no --out, --out-dir, --merge, --events or --drives");
    }
    if (drivesFromDb) {
        if (options.format != "csv" || !options.paths.empty()) {
            return UsageError("--drives-from-db takes no --format and no PATH");
        }
        return RunPostgisDrives(db);
    }
    if (options.format != "postgis") {
        return UsageError("--db is for --format postgis and --drives-from-db");
    }
    if (options.paths.empty()) {
        return UsageError("no PATH given");
    }
    return RunPostgisBatch(db, options.paths, batch);
}

} // namespace

int main(int argc, char** argv) {
    TrackBatchOptions options;
    bool outDirGiven = false;
    bool formatGiven = false;
    bool events = false;
    bool drives = false;
    bool mergeGpkg = false;
    bool drivesFromDb = false;
    std::string db;
    GpkgBatchOptions gpkg;
    bool batchGiven = false;
    const std::vector<std::string> args(argv + 1, argv + argc);
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (AnswersHelpOrVersion(kTool, arg)) {
            return 0;
        }
        if (arg == "--format" || arg == "-f" || arg == "--out-dir") {
            if (i + 1 == args.size()) {
                return UsageError(arg + " needs a value");
            }
            (arg == "--out-dir" ? options.outDir : options.format) = args[++i];
            outDirGiven = outDirGiven || arg == "--out-dir";
            formatGiven = formatGiven || arg != "--out-dir";
        } else if (arg.rfind("--format=", 0) == 0) {
            options.format = arg.substr(9);
            formatGiven = true;
        } else if (arg.rfind("--out-dir=", 0) == 0) {
            options.outDir = arg.substr(10);
            outDirGiven = true;
        } else if (arg == "--db") {
            if (i + 1 == args.size()) {
                return UsageError("--db needs a connection string");
            }
            db = args[++i];
        } else if (arg == "--drives-from-db") {
            drivesFromDb = true;
        } else if (arg == "--out" || arg == "--batch") {
            if (i + 1 == args.size()) {
                return UsageError(arg + " needs a value");
            }
            const std::string& value = args[++i];
            batchGiven = batchGiven || arg == "--batch";
            if (arg == "--out") {
                gpkg.out = value;
            } else if (value.find_first_not_of("0123456789") != std::string::npos ||
                       (gpkg.batch = std::strtoull(value.c_str(), nullptr, 10)) == 0) {
                return UsageError("--batch needs a number of clips above 0");
            }
        } else if (arg == "--merge-gpkg") {
            mergeGpkg = true;
        } else if (arg == "--drives") {
            drives = true;
        } else if (arg == "--merge") {
            options.merge = true;
        } else if (arg == "--events") {
            events = true;
        } else if (arg.size() > 1 && arg[0] == '-') {
            return UsageError("unknown option " + arg);
        } else {
            options.paths.push_back(arg);
        }
    }
    if (options.format == "postgis" || drivesFromDb || !db.empty()) {
        return RunPostgis(options, db, drivesFromDb, batchGiven ? gpkg.batch : kGpkgBatchClips,
                          gpkg.out.empty() && !outDirGiven && !options.merge && !events &&
                              !drives && !mergeGpkg);
    }
    if (options.format == "gpkg" || mergeGpkg) {
        if (gpkg.out.empty()) {
            return UsageError("a GeoPackage needs --out FILE");
        }
        if (options.paths.empty()) {
            return UsageError("no PATH given");
        }
        if (outDirGiven || options.merge || events || drives ||
            (mergeGpkg && options.format != "csv")) {
            return UsageError("--out takes no --out-dir, --merge, --events, --drives or "
                              "other format");
        }
        if (mergeGpkg) {
            return RunGpkgMerge(gpkg.out, options.paths,
                                batchGiven ? gpkg.batch : kGpkgMergeBatchClips);
        }
        gpkg.paths = options.paths;
        return RunGpkgBatch(gpkg);
    }
    if (!gpkg.out.empty()) {
        return UsageError("--out is for --format gpkg and --merge-gpkg");
    }
    if (!ClipTrackExport::KnownFormat(options.format)) {
        return UsageError("unknown format " + options.format);
    }
    if (options.paths.empty()) {
        return UsageError("no PATH given");
    }
    if (events && drives) {
        return UsageError("--events and --drives are two different lists; give one");
    }
    if (events) {
        if (formatGiven || outDirGiven || options.merge) {
            return UsageError("--events takes no --format, --out-dir or --merge");
        }
        return PrintEvents(options.paths);
    }
    if (drives) {
        if (outDirGiven || options.merge) {
            return UsageError("--drives prints; it takes no --out-dir or --merge");
        }
        std::ios::sync_with_stdio(false);
        return RunDriveList(options.paths, std::cout);
    }
    if (outDirGiven && options.outDir.empty()) {
        return UsageError("--out-dir needs a folder");
    }
    if (!outDirGiven) {
        if (options.merge) {
            return UsageError("--merge needs --out-dir");
        }
        if (options.paths.size() > 1) {
            return UsageError("several PATHs need --out-dir");
        }
        return PrintOne(options.paths.front(), options.format);
    }
    return RunTrackBatch(options);
}
