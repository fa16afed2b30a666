// The one-page report of a single frame, for the snapshot dialog: the frame itself, when and
// where it was recorded, the speed, and the clip's SHA-256. Beside the PDF go the frame as a
// PNG and a manifest of the clip's, the PNG's and the PDF's hashes, which
// "ostvik-export --verify" rechecks like an excerpt's. All three are written whole or, when
// one fails, none of them.
#pragma once

#include "evidence/ReportText.h"
#include "track/SnapshotFacts.h"

#include <QImage>

#include <string>

struct SnapshotReportJob {
    QImage frame;
    std::string clip;
    double offset = 0; // seconds into the clip
    SnapshotFacts facts;
    ReportOrigin origin;
    std::string pdf; // where the report goes; NAME.png and NAME.manifest.txt go beside it
};

bool WriteSnapshotReport(const SnapshotReportJob& job, std::string& why);
