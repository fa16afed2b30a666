// Where an excerpt's report goes: beside the excerpt, named after it, so the set travels
// together; and whether that folder takes new files at all, asked before any work is done,
// so a long export never ends in a report that cannot be written.
#pragma once

#include <string>

struct ReportPaths {
    std::string gpx;      // OUT.gpx, written by the excerpt job
    std::string csv;      // OUT.csv, the excerpt's track second by second
    std::string pdf;      // OUT.report.pdf
    std::string manifest; // OUT.manifest.txt
};

ReportPaths ReportPathsOf(const std::string& excerpt);

// False, with `why`, when no new file can be made in `folder`.
bool FolderTakesFiles(const std::string& folder, std::string& why);
