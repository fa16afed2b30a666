#include "TrackBatch.h"

#include "ClipTrackExport.h"

#include "track/TrackExport.h"
#include "track/UtcTime.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <mutex>
#include <set>
#include <sstream>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

bool IsClipName(const fs::path& path) {
    std::string extension = path.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == ".mp4" || extension == ".mov" || extension == ".avi";
}

struct ClipJob {
    std::string path;
    std::string outName;
    bool read = false;
    int64_t startUtc = kUnknownUtc;
    std::string segment; // its GPX <trkseg>, kept only for a merge and only with positions
};

// Named files are taken whatever their name; folders give the clip files below them. A
// path that is neither is left to fail as a clip; a folder that cannot be walked counts as a
// failure of its own.
std::vector<ClipJob> CollectClips(const std::vector<std::string>& paths, size_t& failures) {
    std::set<std::string> found;
    for (const std::string& path : paths) {
        std::error_code error;
        if (!fs::is_directory(path, error)) {
            found.insert(path);
            continue;
        }
        fs::recursive_directory_iterator walk(path, fs::directory_options::skip_permission_denied,
                                              error);
        for (; !error && walk != fs::recursive_directory_iterator(); walk.increment(error)) {
            // Anything named like a clip but a folder is taken, so that a broken link or
            // a clip that is not a plain file is reported rather than passed over.
            std::error_code typeError;
            if (IsClipName(walk->path()) && !walk->is_directory(typeError)) {
                found.insert(walk->path().string());
            }
        }
        if (error) {
            std::cerr << "ostvik-track: cannot search " << path << ": " << error.message() << "\n";
            ++failures;
        }
    }
    std::vector<ClipJob> jobs;
    for (const std::string& path : found) {
        jobs.push_back({path, {}, false, kUnknownUtc, {}});
    }
    return jobs;
}

// The clip's file name plus the format's extension; clips of the same name in different
// folders get -2, -3, ... in the order of their paths.
void NameOutputs(std::vector<ClipJob>& jobs, const std::string& extension) {
    std::map<std::string, int> seen;
    for (ClipJob& job : jobs) {
        const std::string name = fs::path(job.path).filename().string();
        const int count = ++seen[name];
        job.outName = count == 1 ? name + "." + extension
                                 : name + "-" + std::to_string(count) + "." + extension;
    }
}

// Keeps the failure lines and the progress line from running into each other.
class BatchReporter {
public:
    explicit BatchReporter(size_t total) : m_total(total), m_terminal(::isatty(2) == 1) {}

    void Failed(const std::string& line) {
        const std::lock_guard<std::mutex> lock(m_mutex);
        ++m_failed;
        std::cerr << (m_terminal ? "\r\033[K" : "") << "ostvik-track: " << line << "\n";
        ShowProgress();
    }

    void Done() {
        const std::lock_guard<std::mutex> lock(m_mutex);
        ++m_done;
        ShowProgress();
    }

    void Finish() {
        if (m_terminal && m_total > 0) {
            std::cerr << "\n";
        }
    }

    size_t FailedCount() const { return m_failed; }

private:
    void ShowProgress() {
        if (m_terminal) {
            std::cerr << "\r\033[K" << m_done << "/" << m_total << " clips";
            if (m_failed > 0) {
                std::cerr << ", " << m_failed << " failed";
            }
            std::cerr.flush();
        }
    }

    std::mutex m_mutex;
    size_t m_total;
    size_t m_done = 0;
    size_t m_failed = 0;
    bool m_terminal;
};

void RunJob(ClipJob& job, const TrackBatchOptions& options, BatchReporter& reporter) {
    ClipTrackExport clip;
    std::string why;
    if (!clip.Read(job.path, why)) {
        reporter.Failed("cannot read " + job.path + ": " + why);
        reporter.Done();
        return;
    }
    const std::string name = fs::path(job.path).filename().string();
    const fs::path outPath = fs::path(options.outDir) / job.outName;
    std::ofstream out(outPath, std::ios::binary | std::ios::trunc);
    clip.Write(out, options.format, name);
    out.close();
    if (!out) {
        reporter.Failed("cannot write " + outPath.string());
        reporter.Done();
        return;
    }
    job.read = true;
    if (options.merge) {
        job.startUtc = ClipStartUtc(clip.Stores());
        std::ostringstream segment;
        WriteGpxSegment(segment, clip.Stores());
        job.segment = segment.str();
    }
    reporter.Done();
}

// Clips with a UTC start in time order, then those without one in the order of their paths.
bool WriteMerge(std::vector<ClipJob>& jobs, const std::string& outDir) {
    std::vector<const ClipJob*> order;
    for (const ClipJob& job : jobs) {
        // A clip without a single position adds nothing to the route.
        if (job.read && job.segment.find("<trkpt") != std::string::npos) {
            order.push_back(&job);
        }
    }
    std::stable_sort(order.begin(), order.end(), [](const ClipJob* a, const ClipJob* b) {
        const bool aDated = a->startUtc != kUnknownUtc;
        const bool bDated = b->startUtc != kUnknownUtc;
        if (aDated != bDated) {
            return aDated;
        }
        return aDated && a->startUtc < b->startUtc;
    });
    std::vector<std::string> segments;
    for (const ClipJob* job : order) {
        segments.push_back(job->segment);
    }
    std::ofstream out(fs::path(outDir) / "merged.gpx", std::ios::binary | std::ios::trunc);
    WriteGpxTrack(out, "merged", segments);
    out.close();
    return static_cast<bool>(out);
}

} // namespace

int RunTrackBatch(const TrackBatchOptions& options) {
    std::error_code error;
    fs::create_directories(options.outDir, error);
    if (!fs::is_directory(options.outDir, error)) {
        std::cerr << "ostvik-track: cannot make the folder " << options.outDir << "\n";
        return 1;
    }
    size_t searchFailures = 0;
    std::vector<ClipJob> jobs = CollectClips(options.paths, searchFailures);
    if (jobs.empty()) {
        std::cerr << "ostvik-track: no clips found\n";
        return 1;
    }
    NameOutputs(jobs, ClipTrackExport::Extension(options.format));

    BatchReporter reporter(jobs.size());
    std::atomic<size_t> next{0};
    auto work = [&] {
        for (size_t i = next++; i < jobs.size(); i = next++) {
            RunJob(jobs[i], options, reporter);
        }
    };
    const size_t cores = std::max(1u, std::thread::hardware_concurrency());
    std::vector<std::thread> workers;
    for (size_t t = 1; t < std::min(cores, jobs.size()); ++t) {
        workers.emplace_back(work);
    }
    work();
    for (std::thread& worker : workers) {
        worker.join();
    }
    reporter.Finish();

    bool merged = true;
    if (options.merge && !WriteMerge(jobs, options.outDir)) {
        std::cerr << "ostvik-track: cannot write " << (fs::path(options.outDir) / "merged.gpx")
                  << "\n";
        merged = false;
    }
    return reporter.FailedCount() == 0 && searchFailures == 0 && merged ? 0 : 1;
}
