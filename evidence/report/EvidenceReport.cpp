#include "evidence/report/EvidenceReport.h"

#include "evidence/FileDigest.h"
#include "evidence/ReportCsv.h"
#include "evidence/ReportFacts.h"
#include "evidence/ReportPaths.h"
#include "evidence/report/ReportPage.h"
#include "track/ClipTrack.h"
#include "track/UtcTime.h"
#include "track/WholeFileWrite.h"

#include <QFileInfo>

#include <algorithm>
#include <filesystem>
#include <memory>

namespace {

int64_t FirstUtc(const ClipTrack& track) {
    for (const int64_t utc : track.Map().m_utcTimes) {
        if (utc != kUnknownUtc) {
            return utc;
        }
    }
    return kUnknownUtc;
}

std::string Absolute(const std::string& path) {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    return error ? path : absolute.lexically_normal().string();
}

std::string NameOf(const std::string& path) {
    return std::filesystem::path(path).filename().string();
}

// The report's own files, removed again unless the whole report is written.
class WrittenSoFar {
public:
    ~WrittenSoFar() {
        for (const std::string& path : m_paths) {
            std::error_code error;
            std::filesystem::remove(path, error);
        }
    }
    bool Write(const std::string& path, const std::string& bytes, std::string& why) {
        if (!WriteWholeFile(path, bytes, why)) {
            why = "cannot write " + path + ": " + why;
            return false;
        }
        m_paths.push_back(path);
        return true;
    }
    void Keep() { m_paths.clear(); }

private:
    std::vector<std::string> m_paths;
};

} // namespace

bool WriteEvidenceReport(const ReportJob& job, std::string& why) {
    const ReportPaths paths = ReportPathsOf(job.excerpt.output);
    std::vector<std::unique_ptr<ClipTrack>> tracks;
    std::vector<const ClipTrack*> trackOf;
    std::vector<std::string> clips;
    for (const ExcerptPiece& piece : job.excerpt.pieces) {
        tracks.push_back(std::make_unique<ClipTrack>());
        tracks.back()->Load(piece.clip);
        trackOf.push_back(tracks.back().get());
        clips.push_back(piece.clip);
    }
    std::vector<ReportSource> sources;
    std::vector<std::string> named = clips;
    named.insert(named.end(), job.excerpt.beside.begin(), job.excerpt.beside.end());
    for (size_t i = 0; i < named.size(); ++i) {
        const std::string path = Absolute(named[i]);
        if (named[i].empty() || std::any_of(sources.begin(), sources.end(),
                                            [&](const auto& s) { return s.path == path; })) {
            continue;
        }
        const std::optional<FileDigest> digest = DigestOfFile(named[i], why);
        if (!digest) {
            return false;
        }
        ClipTrack beside;
        if (i >= clips.size()) {
            beside.Load(named[i]);
        }
        sources.push_back({path, *digest, FirstUtc(i < clips.size() ? *trackOf[i] : beside)});
    }
    const ReportFacts facts = GatherReportFacts(trackOf, clips, job.spans);

    WrittenSoFar written;
    std::vector<ManifestFile> files;
    for (const ReportSource& source : sources) {
        files.push_back({"source", source.path, source.digest.sha256, source.digest.bytes});
    }
    std::vector<ManifestFile> beside;
    for (const auto& [role, path] :
         {std::pair<const char*, std::string>{"excerpt", job.excerpt.output}, {"gpx", paths.gpx}}) {
        const std::optional<FileDigest> digest = DigestOfFile(path, why);
        if (!digest) {
            return false;
        }
        beside.push_back({role, NameOf(path), digest->sha256, digest->bytes});
    }
    const std::string csv = ReportCsv(facts);
    if (!written.Write(paths.csv, csv, why)) {
        return false;
    }
    const FileDigest csvDigest = DigestOfBytes(csv);
    beside.push_back({"csv", NameOf(paths.csv), csvDigest.sha256, csvDigest.bytes});

    std::vector<ReportSection> sections = FactSections(facts);
    const ReportSection origin = OriginSection(job.origin);
    const ReportContent content{QFileInfo(QString::fromStdString(job.excerpt.output)).fileName(),
                                QString::fromStdString(job.origin.caseText),
                                sections,
                                origin,
                                sources,
                                beside};
    const QByteArray pdfBytes = ReportPdf(content, facts);
    const std::string pdf(pdfBytes.constData(), static_cast<size_t>(pdfBytes.size()));
    if (pdf.empty()) {
        why = "cannot draw the report's PDF";
        return false;
    }
    if (!written.Write(paths.pdf, pdf, why)) {
        return false;
    }
    const FileDigest pdfDigest = DigestOfBytes(pdf);

    files.insert(files.end(), beside.begin(), beside.end());
    files.push_back({"report", NameOf(paths.pdf), pdfDigest.sha256, pdfDigest.bytes});
    sections.push_back(origin);
    if (!written.Write(paths.manifest, ManifestText(sections, files), why)) {
        return false;
    }
    written.Keep();
    return true;
}
