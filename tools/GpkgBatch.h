// The track tool's GeoPackage runs: clips named or found in folders added to one
// GeoPackage (TrackGeoPackage), skipping those it already holds, read on every core a
// batch at a time and written a transaction per batch; and parts of such files, made on
// several machines, merged into one.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// Clips per transaction: a run stopped midway loses at most this many clips' reading.
constexpr size_t kGpkgBatchClips = 50;

struct GpkgBatchOptions {
    std::vector<std::string> paths; // clips and folders, folders searched recursively
    std::string out;
    size_t batch = kGpkgBatchClips;
};

// Exit status: 0 when every clip was added or already held and the drives were grouped
// again, 1 when any clip or folder failed (each one line on standard error; the others
// still go in), no clip was found, or the file could not be opened or written.
int RunGpkgBatch(const GpkgBatchOptions& options);

// Clips per transaction of a merge: it copies rows already read, so a transaction costs
// mostly its sync to disk, and a merge stopped midway is simply run again.
constexpr size_t kGpkgMergeBatchClips = 1000;

// Merges each part into `out` in turn. Exit status 0 when all were merged, 1 when any could
// not be (one line on standard error; the others still are).
int RunGpkgMerge(const std::string& out, const std::vector<std::string>& parts,
                 size_t batch = kGpkgMergeBatchClips);
