#include "evidence/report/ReportPage.h"

#include "evidence/report/MotionChart.h"
#include "evidence/report/RouteDrawing.h"

#include <QBuffer>
#include <QFileInfo>
#include <QFontDatabase>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <cmath>

namespace {

// Points: the writer is set to 72 dots an inch, so one unit is one typographic point.
constexpr int kResolution = 72;
constexpr double kMargin = 40;
constexpr double kPictureHeight = 190;
const QColor kInk(0x20, 0x20, 0x20);
const QColor kMuted(0x4a, 0x4a, 0x4a);

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

QString Size(int64_t bytes) {
    return QStringLiteral("%1 bytes").arg(bytes);
}

// Lays text down the page from the top, starting a new page when the next block would not fit.
class PageFlow {
public:
    PageFlow(QPdfWriter& writer, QPainter& painter) : m_writer(writer), m_painter(painter) {
        m_width = painter.viewport().width() - 2 * kMargin;
        m_bottom = painter.viewport().height() - kMargin;
    }

    double Width() const { return m_width; }
    double Top() const { return m_y; }

    void Room(double height) {
        if (m_y + height > m_bottom && m_y > kMargin) {
            m_writer.newPage();
            m_y = kMargin;
        }
    }

    void Skip(double height) { m_y += height; }

    void Write(const QString& text, const QFont& font, const QColor& colour = kInk,
               int flags = Qt::TextWordWrap) {
        m_painter.setFont(font);
        m_painter.setPen(colour);
        const QRectF bounds =
            m_painter.boundingRect(QRectF(kMargin, 0, m_width, 10000), flags | Qt::AlignLeft, text);
        Room(bounds.height());
        m_painter.drawText(QRectF(kMargin, m_y, m_width, bounds.height()), flags | Qt::AlignLeft,
                           text);
        m_y += bounds.height();
    }

private:
    QPdfWriter& m_writer;
    QPainter& m_painter;
    double m_width = 0;
    double m_bottom = 0;
    double m_y = kMargin;
};

QFont Sized(QFont font, double points, bool bold = false) {
    font.setPointSizeF(points);
    // Ligatures would turn "fi" into one glyph, and a search of the PDF's text for "file"
    // would miss it.
    font.setStyleStrategy(QFont::PreferNoShaping);
    font.setBold(bold);
    return font;
}

void WriteSection(PageFlow& flow, const ReportSection& section, const QFont& body) {
    flow.Skip(4);
    flow.Room(30);
    flow.Write(Text(section.title), Sized(body, 10, true));
    for (const std::string& line : section.lines) {
        flow.Write(Text(line), body);
    }
}

void WriteFile(PageFlow& flow, const QString& head, const std::string& sha256, const QFont& body,
               const QFont& mono) {
    flow.Room(22);
    flow.Write(head, body);
    flow.Write(QStringLiteral("SHA-256 ") + Text(sha256), mono, kMuted, 0);
}

} // namespace

QByteArray ReportPdf(const ReportContent& content, const ReportFacts& facts) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setResolution(kResolution);
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
            if (section.title == "Speed and G-sensor") {
                flow.Skip(6);
                flow.Room(kPictureHeight);
                const double half = (flow.Width() - 10) / 2;
                const double top = flow.Top();
                RouteDrawing(facts).paint(painter, QRectF(kMargin, top, half, kPictureHeight));
                MotionChart(facts).paint(painter,
                                         QRectF(kMargin + half + 10, top, half, kPictureHeight));
                flow.Skip(kPictureHeight);
            }
            WriteSection(flow, section, body);
        }

        flow.Skip(4);
        flow.Write(QStringLiteral("Source clips"), Sized(body, 10, true));
        for (const ReportSource& source : content.sources) {
            WriteFile(flow,
                      Text(source.path) + QStringLiteral(" \u2014 ") + Size(source.digest.bytes) +
                          QStringLiteral(", recorded from ") + Text(UtcLine(source.recordedUtc)),
                      source.digest.sha256, body, mono);
        }
        flow.Skip(4);
        flow.Write(QStringLiteral("Written files (beside this report)"), Sized(body, 10, true));
        for (const ManifestFile& file : content.written) {
            WriteFile(flow,
                      Text(file.role) + QStringLiteral(": ") + Text(file.path) +
                          QStringLiteral(" \u2014 ") + Size(file.bytes),
                      file.sha256, body, mono);
        }
        WriteSection(flow, content.origin, body);
        flow.Write(QStringLiteral("The manifest beside this report lists the same files and this "
                                  "report's own SHA-256; \"ostvik-export --verify MANIFEST\" "
                                  "checks them all again."),
                   body, kMuted);
    }
    buffer.close();
    return bytes;
}
