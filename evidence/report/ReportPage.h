// The evidence report as a PDF, drawn with Qt's own PDF writer: a title, the facts in their
// sections, the route and the charts side by side, the files with their SHA-256, and how the
// report was made. One A4 page for an excerpt of a few clips; a longer list of events or
// clips flows on to further pages rather than off the edge.
#pragma once

#include "evidence/ManifestFiles.h"
#include "evidence/ReportFacts.h"
#include "evidence/ReportText.h"

#include <QByteArray>
#include <QString>

#include <vector>

struct ReportContent {
    QString title; // the excerpt's file name
    QString caseText;
    std::vector<ReportSection> facts;
    ReportSection origin;
    std::vector<ReportSource> sources;
    std::vector<ManifestFile> written; // the excerpt and the files beside it
};

// The PDF's bytes.
QByteArray ReportPdf(const ReportContent& content, const ReportFacts& facts);
