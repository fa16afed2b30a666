#include "evidence/report/ReportPage.h"

#include "evidence/report/MotionChart.h"
#include "evidence/report/PageFlow.h"
#include "evidence/report/RouteDrawing.h"

#include <QBuffer>
#include <QFontDatabase>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

namespace {

using ReportStyle::kMargin;
using ReportStyle::kMuted;
using ReportStyle::Sized;

constexpr double kPictureHeight = 190;

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

QString Size(int64_t bytes) {
    return QStringLiteral("%1 bytes").arg(bytes);
}

} // namespace

QByteArray ReportPdf(const ReportContent& content, const ReportFacts& facts) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setResolution(ReportStyle::kResolution);
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        writer.setTitle(QStringLiteral("Evidence report: ") + content.title);
        writer.setCreator(QStringLiteral("Ostvik"));
        QPainter painter(&writer);
        const QFont body = Sized(QFontDatabase::systemFont(QFontDatabase::GeneralFont), 8.5);
        const QFont mono = Sized(QFontDatabase::systemFont(QFontDatabase::FixedFont), 7.5);
        PageFlow flow(writer, painter);

        flow.Write(QStringLiteral("Evidence report: ") + content.title, Sized(body, 15, true));
        if (!content.caseText.isEmpty()) {
            flow.Write(QStringLiteral("Case: ") + content.caseText, Sized(body, 10, true));
        }
        for (const ReportSection& section : content.facts) {
            if (section.title == kMotionTitle) {
                flow.Skip(6);
                flow.Room(kPictureHeight);
                const double half = (flow.Width() - 10) / 2;
                const double top = flow.Top();
                RouteDrawing(facts).paint(painter, QRectF(kMargin, top, half, kPictureHeight));
                MotionChart(facts).paint(painter,
                                         QRectF(kMargin + half + 10, top, half, kPictureHeight));
                flow.Skip(kPictureHeight);
            }
            flow.Section(section, body);
        }

        flow.Skip(4);
        flow.Write(QStringLiteral("Source clips"), Sized(body, 10, true));
        for (const ReportSource& source : content.sources) {
            flow.File(Text(source.path) + QStringLiteral(" \u2014 ") + Size(source.digest.bytes) +
                          QStringLiteral(", recorded from ") + Text(UtcLine(source.recordedUtc)),
                      source.digest.sha256, body, mono);
        }
        flow.Skip(4);
        flow.Write(QStringLiteral("Written files (beside this report)"), Sized(body, 10, true));
        for (const ManifestFile& file : content.written) {
            flow.File(Text(file.role) + QStringLiteral(": ") + Text(file.path) +
                          QStringLiteral(" \u2014 ") + Size(file.bytes),
                      file.sha256, body, mono);
        }
        flow.Section(content.origin, body);
        flow.Write(QStringLiteral("The manifest beside this report lists the same files and this "
                                  "report's own SHA-256; \"ostvik-export --verify MANIFEST\" "
                                  "checks them all again."),
                   body, kMuted);
    }
    buffer.close();
    return bytes;
}
