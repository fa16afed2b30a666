// ostvik-export: makes an evidence excerpt of clips from the command line, with the same
// job the player's export dialog runs: an MP4 carrying the track as an NMEA text track,
// and the track beside it as GPX; on request a report with the SHA-256 of every file, and
// later a check of those hashes.

#include "CommandLine.h"
#include "StopSignals.h"
#include "evidence/DriveExcerpt.h"
#include "evidence/ExcerptJob.h"
#include "evidence/FileDigest.h"
#include "evidence/ManifestCheck.h"
#include "evidence/ReportPaths.h"
#include "evidence/report/EvidenceReport.h"
#include "track/LoadedDrive.h"

#include <QDateTime>
#include <QGuiApplication>
#include <QLoggingCategory>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr const char* kUsage =
    "usage: ostvik-export [--overlay] [--text T] [--mph] [--report] --from A --to B\n"
    "                     -o OUT.mp4 CLIP...\n"
    "       ostvik-export --verify MANIFEST\n"
    "Writes the stretch from A to B of the drive the CLIPs form to OUT.mp4, with the track\n"
    "inside it as an NMEA text track, and OUT.gpx beside it. A and B are seconds of the\n"
    "first CLIP (decimal), or times of day HH:MM:SS in the local clock (of TZ), the one the\n"
    "overlay shows; HH:MM:SSZ is a UTC time of day and YYYY-MM-DDTHH:MM:SSZ a UTC moment.\n"
    "Clips whose tracks have no UTC take HH:MM:SS in the camera's own clock. Without --overlay\n"
    "the pictures are copied as the camera made them, and the excerpt starts at the key\n"
    "frame at or before A. --overlay re-encodes them with the date and local time, speed and\n"
    "coordinates burnt in, the line T under them (--text), speeds in mile/h with --mph, and\n"
    "another camera's clip of the moment, when given, in a corner. --report writes beside\n"
    "the excerpt OUT.report.pdf (times, place, speed and G-sensor charts, driving events,\n"
    "the SHA-256 of every clip and file), OUT.manifest.txt with the same facts and hashes,\n"
    "and OUT.csv with the track second by second. SIGTERM or SIGINT ends the export and\n"
    "leaves nothing. --verify hashes every file a manifest lists again and prints, file by\n"
    "file, unchanged, changed or missing; its status is 0 only when all are unchanged.\n";

constexpr CommandLine kTool{"ostvik-export", kUsage};

int UsageError(const std::string& why) {
    return UsageError(kTool, why);
}

// A command of the right form with a value that cannot be taken: the fault alone, as the
// usage would only bury it.
int BadValue(const std::string& why) {
    std::cerr << kTool.program << ": " << why << "\n";
    return 2;
}

int Failure(const std::string& why) {
    std::cerr << kTool.program << ": " << why << "\n";
    return 1;
}

// A clip that cannot be opened would only show up later as a stretch outside the clips.
bool Readable(const std::string& clip, std::string& why) {
    std::ifstream file(clip, std::ios::binary);
    std::error_code error;
    if (!file || std::filesystem::is_directory(clip, error)) {
        why = "cannot read " + clip + ": " +
              (file ? std::string("a folder") : std::generic_category().message(errno));
        return false;
    }
    return true;
}

// Seconds of the first clip, or a clock time of the drive; as seconds of the drive's axis.
bool DriveSecond(const std::string& text, const Drive& drive, double firstAt, double& second,
                 std::string& why) {
    if (text.find(':') != std::string::npos) {
        const std::optional<double> at = DriveSecondOfClock(drive, text, why);
        second = at.value_or(0);
        return at.has_value();
    }
    char* end = nullptr;
    const double seconds = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || !(seconds >= 0)) {
        why = "not a number of seconds or a time of day: " + text;
        return false;
    }
    second = firstAt + seconds;
    return true;
}

// The command as typed, each argument quoted where a shell would need it, for the report.
std::string CommandText(const std::vector<std::string>& args) {
    std::string text = kTool.program;
    for (const std::string& arg : args) {
        const bool plain = !arg.empty() && arg.find_first_not_of(
                                               "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRS"
                                               "TUVWXYZ0123456789-_./:=+,@%") == std::string::npos;
        std::string quoted;
        for (const char c : arg) {
            quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
        }
        text += " " + (plain ? arg : "'" + quoted + "'");
    }
    return text;
}

int Verify(const std::string& manifest) {
    std::vector<FileCheck> checks;
    std::string why;
    if (!CheckManifest(manifest, std::max(QThread::idealThreadCount(), 1), checks, why)) {
        return Failure(why);
    }
    bool all = true;
    for (const FileCheck& check : checks) {
        std::cout << FileStateName(check.state) << "  " << check.path << "\n";
        all = all && check.state == FileState::Unchanged;
    }
    std::cout << (all ? "all files unchanged" : "NOT all files unchanged") << "\n";
    return all ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    // The report is painted with QPainter, which needs a GUI application, but never a
    // display: the tool runs the same on a server or over ssh. Without a report the tool
    // needs neither.
    const bool painting = std::find(argv + 1, argv + argc, std::string("--report")) != argv + argc;
    if (painting && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    const std::unique_ptr<QCoreApplication> application(
        painting ? new QGuiApplication(argc, argv) : new QCoreApplication(argc, argv));
    QCoreApplication& app = *application;
    // The job logs each failure for the player; here the tool states it itself, once.
    QLoggingCategory::setFilterRules(QStringLiteral("ostvik.evidence.warning=false"));
    ExcerptRequest request;
    std::string from;
    std::string to;
    std::vector<std::string> clips;
    bool report = false;
    const std::vector<std::string> args(argv + 1, argv + argc);
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (AnswersHelpOrVersion(kTool, arg)) {
            return 0;
        }
        if (arg == "--verify") {
            if (args.size() != 2 || i != 0) {
                return UsageError("--verify takes one MANIFEST and nothing else");
            }
            return Verify(args[1]);
        }
        if (arg == "--text" || arg == "--from" || arg == "--to" || arg == "-o") {
            if (i + 1 == args.size()) {
                return UsageError(arg + " needs a value");
            }
            const std::string& value = args[++i];
            (arg == "--text"   ? request.text
             : arg == "--from" ? from
             : arg == "--to"   ? to
                               : request.output) = value;
        } else if (arg == "--overlay") {
            request.overlay = true;
        } else if (arg == "--mph") {
            request.kmh = false;
        } else if (arg == "--report") {
            report = true;
        } else if (arg.size() > 1 && arg[0] == '-') {
            return UsageError("unknown option " + arg);
        } else {
            clips.push_back(arg);
        }
    }
    if (clips.empty()) {
        return UsageError("no CLIP given");
    }
    if (from.empty() || to.empty() || request.output.empty()) {
        return UsageError("--from, --to and -o are needed");
    }
    if (!request.overlay && (!request.text.empty() || !request.kmh)) {
        return UsageError("--text and --mph are burnt in: they need --overlay");
    }

    std::string why;
    for (const std::string& clip : clips) {
        if (!Readable(clip, why)) {
            return Failure(why);
        }
    }
    // Before the excerpt is made, not after minutes of encoding.
    const std::filesystem::path folder =
        std::filesystem::absolute(std::filesystem::path(request.output)).parent_path();
    if (!FolderTakesFiles(folder.string(), why)) {
        return Failure(why);
    }

    // The drive the first clip belongs to gives the axis both times are read on.
    const auto drives = LoadDrives(clips);
    const LoadedDrive* drive = nullptr;
    double firstAt = 0;
    for (const auto& loaded : drives) {
        for (const DriveClip& clip : loaded->drive.clips) {
            const bool first =
                clip.main.path == clips.front() ||
                std::any_of(clip.beside.begin(), clip.beside.end(),
                            [&](const ClipSummary& c) { return c.path == clips.front(); });
            if (first) {
                drive = loaded.get();
                firstAt = static_cast<double>(clip.at);
            }
        }
    }
    if (drive == nullptr) {
        return Failure("cannot read " + clips.front());
    }
    double begin = 0;
    double end = 0;
    if (!DriveSecond(from, drive->drive, firstAt, begin, why) ||
        !DriveSecond(to, drive->drive, firstAt, end, why)) {
        return BadValue(why);
    }
    if (end <= begin) {
        return BadValue("--to must come after --from");
    }
    if (!CutDrive(drive->drive, begin, end, request, why)) {
        return Failure(why);
    }
    if (!request.overlay) {
        request.beside.clear();
    }

    ExcerptJob job;
    int status = 1;
    // The clips are hashed for the report while ffmpeg cuts them, which mostly waits on the
    // disk: most of the report's cost is paid before the excerpt is done.
    std::vector<std::string> sources;
    for (const ExcerptPiece& piece : request.pieces) {
        sources.push_back(piece.clip);
    }
    for (const std::string& clip : request.beside) {
        if (!clip.empty()) {
            sources.push_back(clip);
        }
    }
    std::atomic<bool> stopHashing{false};
    std::future<std::vector<DigestResult>> ahead;
    QObject::connect(&job, &ExcerptJob::finished, &app, [&](bool ok, const QString& reason) {
        // A job ended by a stop signal (or by ffmpeg's own share of a terminal's Ctrl-C) is
        // reported by the stop, once.
        if (!ok && StopSignals::Caught() != 0) {
            return;
        }
        if (!ok) {
            std::cerr << "ostvik-export: " << reason.toStdString() << "\n";
        }
        status = ok ? 0 : 1;
        if (!ok || !report) {
            app.quit();
            return;
        }
        ReportJob reportJob{request,
                            job.Spans(),
                            {std::string(kTool.program) + " " + OSTVIK_VERSION, CommandText(args),
                             request.text, QDateTime::currentSecsSinceEpoch()},
                            {}};
        const std::vector<DigestResult> hashed = ahead.get();
        for (size_t i = 0; i < hashed.size(); ++i) {
            if (hashed[i].digest) {
                reportJob.known[sources[i]] = *hashed[i].digest;
            }
        }
        std::string failed;
        if (!WriteEvidenceReport(reportJob, failed)) {
            std::cerr << "ostvik-export: the excerpt is made, but not its report: " << failed
                      << "\n";
            status = 1;
        }
        app.quit();
    });
    // Only from here on is there a child and partial files to clean up; before, the signals'
    // default handling ends the tool at once and leaves nothing.
    const StopSignals stop([&](int signal) {
        stopHashing = true;
        job.Cancel();
        std::cerr << "ostvik-export: stopped by " << (signal == SIGINT ? "SIGINT" : "SIGTERM")
                  << "; nothing written\n";
        status = 128 + signal;
        app.quit();
    });
    if (!job.Start(request)) {
        return Failure(job.Error().toStdString());
    }
    if (report) {
        ahead = std::async(std::launch::async, DigestFiles, sources,
                           std::max(QThread::idealThreadCount(), 1), &stopHashing);
    }
    // The job found the key frame as it planned the copy: no second look at the clip.
    if (const double snap = job.SnapSeconds(); snap > 0) {
        std::cerr << "ostvik-export: the excerpt starts " << snap
                  << " s early, at the key frame before the start\n";
    }
    app.exec();
    return status;
}
