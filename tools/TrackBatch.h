// The track tool's batch run for a fleet's worth of clips: clips named or found in folders
// are read in parallel on every core, each written to a file of its own in the output
// folder, and on request merged into one GPX track in time order.
#pragma once

#include <string>
#include <vector>

struct TrackBatchOptions {
    std::vector<std::string> paths; // clips and folders, folders searched recursively
    std::string format = "csv";
    std::string outDir;
    bool merge = false;
};

// Exit status: 0 when every clip was read and written, 1 when any failed or a folder could
// not be searched (each failure one line on standard error; the others still run) or none
// was found.
int RunTrackBatch(const TrackBatchOptions& options);
