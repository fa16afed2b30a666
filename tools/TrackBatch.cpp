#include "TrackBatch.h"

#include "ClipSearch.h"
#include "ClipTrackExport.h"
#include "EveryCore.h"
#include "track/WholeFileWrite.h"

#include "track/TrackExport.h"
#include "track/UtcTime.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <iostream>
#include <mutex>
#include <set>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr const char* kMergedName = "merged.gpx";

struct ClipJob {
    std::string path;
    std::string outName;
    bool read = false;
    int64_t startUtc = kUnknownUtc;
    std::string segment; // its GPX <trkseg>, kept only for a merge and only with positions
};

// The clips the paths name or hold, in path order.
std::vector<ClipJob> CollectClips(const std::vector<std::string>& paths, size_t& failures) {
    std::vector<ClipJob> jobs;
    for (std::string& path : FindClips(paths, failures)) {
        jobs.push_back({std::move(path), {}, false, kUnknownUtc, {}});
    }
    return jobs;
}

std::string Folded(std::string name) {
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return name;
}

// The clip's file name plus the format's extension, or with -2, -3, ... before the extension
// where that name is taken, clips in the order of their paths. Every name is taken before any
// file is written, the merge's first, and names that differ only in letter case are the same
// name: the cards and shares such folders are copied to often ignore it.
void NameOutputs(std::vector<ClipJob>& jobs, const std::string& extension, bool merge) {
    std::set<std::string> taken;
    if (merge) {
        taken.insert(Folded(kMergedName));
    }
    for (ClipJob& job : jobs) {
        const std::string name = fs::path(job.path).filename().string();
        job.outName = name + "." + extension;
        for (int n = 2; !taken.insert(Folded(job.outName)).second; ++n) {
            job.outName = name + "-" + std::to_string(n) + "." + extension;
        }
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
    std::ostringstream out;
    clip.Write(out, options.format, name);
    if (!WriteWholeFile(outPath, out.view(), why)) {
        reporter.Failed("cannot write " + outPath.string() + ": " + why);
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
bool WriteMerge(std::vector<ClipJob>& jobs, const std::string& outDir, std::string& why) {
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
    std::ostringstream out;
    WriteGpxTrack(out, "merged", segments);
    return WriteWholeFile(fs::path(outDir) / kMergedName, out.view(), why);
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
    NameOutputs(jobs, ClipTrackExport::Extension(options.format), options.merge);

    BatchReporter reporter(jobs.size());
    RunOnEveryCore(jobs.size(), [&](size_t i) { RunJob(jobs[i], options, reporter); });
    reporter.Finish();

    bool merged = true;
    std::string why;
    if (options.merge && !WriteMerge(jobs, options.outDir, why)) {
        std::cerr << "ostvik-track: cannot write "
                  << (fs::path(options.outDir) / kMergedName).string() << ": " << why << "\n";
        merged = false;
    }
    return reporter.FailedCount() == 0 && searchFailures == 0 && merged ? 0 : 1;
}
