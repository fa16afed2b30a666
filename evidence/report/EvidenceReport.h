// Writes the report of a finished excerpt beside it: the track as CSV, the PDF page and the
// manifest of every file's SHA-256. The source clips are hashed as they are now, right after
// the excerpt was cut from them. Each file is written whole under a temporary name and
// renamed; when any step fails, the files of this report already written are removed again,
// so a report is there complete or not at all, and the excerpt itself is left as it is.
#pragma once

#include "evidence/ExcerptRequest.h"
#include "evidence/ExcerptSeconds.h"
#include "evidence/FileDigest.h"
#include "evidence/ReportText.h"

#include <map>
#include <string>
#include <vector>

struct ReportJob {
    ExcerptRequest excerpt;         // as the excerpt job was given it, output included
    std::vector<ExcerptSpan> spans; // as the job cut the pieces (ExcerptJob::Spans)
    ReportOrigin origin;
    // Digests made already, by path as the request names it: the clips can be hashed while
    // ffmpeg cuts the excerpt from them.
    std::map<std::string, FileDigest> known;
};

// False, with `why`, when the report could not be written whole.
bool WriteEvidenceReport(const ReportJob& job, std::string& why);
