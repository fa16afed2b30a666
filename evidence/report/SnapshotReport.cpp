#include "evidence/report/SnapshotReport.h"

#include "evidence/FileDigest.h"
#include "evidence/report/PageFlow.h"
#include "track/WholeFileWrite.h"

#include <QBuffer>
#include <QFontDatabase>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <cstdio>
#include <filesystem>

namespace {

using ReportStyle::Sized;

std::string Fixed(const char* format, double value) {
    char text[48];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

std::vector<ReportSection> FrameSections(const SnapshotReportJob& job) {
    const SnapshotFacts& facts = job.facts;
    ReportSection time{"Time", {}};
    time.lines.push_back("Frame at " + Fixed("%.1f", job.offset) + " s of the clip");
    time.lines.push_back("Recorded: " + UtcLine(facts.utc) + " = " + LocalLine(facts.utc));
    time.lines.push_back("Local times are in the zone " + ZoneName() +
                         ". Times come from the GPS track; the camera's own clock, in its "
                         "file names and picture, may differ.");
    ReportSection place{"Place and speed", {}};
    place.lines.push_back(facts.latitude && facts.longitude
                              ? Fixed("Position: %.6f", *facts.latitude) +
                                    Fixed(", %.6f (decimal degrees, WGS 84)", *facts.longitude)
                              : std::string("No position: the clip's track holds none here."));
    place.lines.push_back(facts.speedKmh ? "Speed: " + std::to_string(*facts.speedKmh) + " km/h"
                                         : std::string("No speed: the clip's track holds none "
                                                       "here."));
    return {time, place};
}

std::string Pdf(const SnapshotReportJob& job, const std::vector<ReportSection>& sections,
                const FileDigest& clip, const ManifestFile& png) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setResolution(ReportStyle::kResolution);
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        writer.setCreator(QStringLiteral("Ostvik"));
        QPainter painter(&writer);
        const QFont body = Sized(QFontDatabase::systemFont(QFontDatabase::GeneralFont), 8.5);
        const QFont mono = Sized(QFontDatabase::systemFont(QFontDatabase::FixedFont), 7.5);
        PageFlow flow(writer, painter);
        const QString name =
            QString::fromStdString(std::filesystem::path(job.clip).filename().string());
        flow.Write(
            QStringLiteral("Snapshot report: %1 at %2 s").arg(name).arg(job.offset, 0, 'f', 1),
            Sized(body, 15, true));
        if (!job.origin.caseText.empty()) {
            flow.Write(QStringLiteral("Case: ") + QString::fromStdString(job.origin.caseText),
                       Sized(body, 10, true));
        }
        flow.Skip(6);
        if (!job.frame.isNull()) {
            const QSizeF size =
                QSizeF(job.frame.size()).scaled(flow.Width(), 330, Qt::KeepAspectRatio);
            flow.Room(size.height());
            painter.drawImage(QRectF(QPointF(flow.Left(), flow.Top()), size), job.frame);
            flow.Skip(size.height() + 4);
        }
        for (const ReportSection& section : sections) {
            flow.Section(section, body);
        }
        flow.Skip(4);
        flow.Write(QStringLiteral("Source clip"), Sized(body, 10, true));
        flow.File(QString::fromStdString(job.clip) +
                      QStringLiteral(" \u2014 %1 bytes").arg(clip.bytes),
                  clip.sha256, body, mono);
        flow.Write(QStringLiteral("Written file (beside this report)"), Sized(body, 10, true));
        flow.File(QStringLiteral("snapshot: %1 \u2014 %2 bytes")
                      .arg(QString::fromStdString(png.path))
                      .arg(png.bytes),
                  png.sha256, body, mono);
        flow.Section(OriginSection(job.origin), body);
    }
    buffer.close();
    return {bytes.constData(), static_cast<size_t>(bytes.size())};
}

} // namespace

bool WriteSnapshotReport(const SnapshotReportJob& job, std::string& why) {
    const std::filesystem::path pdfPath(job.pdf);
    const std::filesystem::path stem = pdfPath.parent_path() / pdfPath.stem();
    const std::string pngPath = stem.string() + ".png";
    const std::string manifestPath = stem.string() + ".manifest.txt";
    const std::optional<FileDigest> clip = DigestOfFile(job.clip, why);
    if (!clip) {
        return false;
    }
    QByteArray pngBytes;
    QBuffer buffer(&pngBytes);
    if (job.frame.isNull() || !buffer.open(QIODevice::WriteOnly) ||
        !job.frame.save(&buffer, "PNG")) {
        why = "no frame to write";
        return false;
    }
    const std::string png(pngBytes.constData(), static_cast<size_t>(pngBytes.size()));
    const FileDigest pngDigest = DigestOfBytes(png);
    const ManifestFile pngFile{"snapshot", std::filesystem::path(pngPath).filename().string(),
                               pngDigest.sha256, pngDigest.bytes};
    std::vector<ReportSection> sections = FrameSections(job);
    const std::string pdf = Pdf(job, sections, *clip, pngFile);
    const FileDigest pdfDigest = DigestOfBytes(pdf);
    std::error_code error;
    const std::string clipPath = std::filesystem::absolute(job.clip, error).lexically_normal();
    sections.push_back(OriginSection(job.origin));
    const std::string manifest = ManifestText(
        sections, {{"source", error ? job.clip : clipPath, clip->sha256, clip->bytes},
                   pngFile,
                   {"report", pdfPath.filename().string(), pdfDigest.sha256, pdfDigest.bytes}});

    std::vector<std::string> written;
    for (const auto& [path, bytes] : {std::pair<std::string, const std::string*>{pngPath, &png},
                                      {job.pdf, &pdf},
                                      {manifestPath, &manifest}}) {
        if (!WriteWholeFile(path, *bytes, why)) {
            why = "cannot write " + path + ": " + why;
            for (const std::string& done : written) {
                std::filesystem::remove(done, error);
            }
            return false;
        }
        written.push_back(path);
    }
    return true;
}
