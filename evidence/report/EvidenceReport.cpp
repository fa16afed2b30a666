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
#include <QThread>

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
    // Every clip once, then the excerpt and its GPX: all hashed at once, those the caller
    // hashed already (while the excerpt was made) taken as they are.
    std::vector<std::string> named;
    std::vector<std::string> absolute;
    for (const std::string& clip : clips) {
        named.push_back(clip);
    }
    named.insert(named.end(), job.excerpt.beside.begin(), job.excerpt.beside.end());
    std::vector<std::string> unique;
    for (const std::string& clip : named) {
        if (!clip.empty() &&
            std::find(absolute.begin(), absolute.end(), Absolute(clip)) == absolute.end()) {
            unique.push_back(clip);
            absolute.push_back(Absolute(clip));
        }
    }
    const size_t sourceCount = unique.size();
    unique.push_back(job.excerpt.output);
    unique.push_back(paths.gpx);
    std::vector<std::string> missing;
    for (const std::string& path : unique) {
        if (job.known.count(path) == 0) {
            missing.push_back(path);
        }
    }
    const std::vector<DigestResult> made =
        DigestFiles(missing, std::max(QThread::idealThreadCount(), 1));
    std::vector<FileDigest> digests;
    for (const std::string& path : unique) {
        const auto known = job.known.find(path);
        if (known != job.known.end()) {
            digests.push_back(known->second);
            continue;
        }
        const auto at = std::find(missing.begin(), missing.end(), path) - missing.begin();
        const DigestResult& result = made[static_cast<size_t>(at)];
        if (!result.digest) {
            why = result.why;
            return false;
        }
        digests.push_back(*result.digest);
    }

    std::vector<ReportSource> sources;
    for (size_t i = 0; i < sourceCount; ++i) {
        const auto piece = std::find(clips.begin(), clips.end(), unique[i]);
        ClipTrack other;
        if (piece == clips.end()) {
            other.Load(unique[i]);
        }
        sources.push_back(
            {absolute[i], digests[i],
             FirstUtc(piece != clips.end() ? *trackOf[static_cast<size_t>(piece - clips.begin())]
                                           : other)});
    }
    const ReportFacts facts = GatherReportFacts(trackOf, clips, job.spans);

    WrittenSoFar written;
    std::vector<ManifestFile> files;
    for (const ReportSource& source : sources) {
        files.push_back({"source", source.path, source.digest.sha256, source.digest.bytes});
    }
    std::vector<ManifestFile> beside = {{"excerpt", NameOf(job.excerpt.output),
                                         digests[sourceCount].sha256, digests[sourceCount].bytes},
                                        {"gpx", NameOf(paths.gpx), digests[sourceCount + 1].sha256,
                                         digests[sourceCount + 1].bytes}};
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
