// Lays a report's blocks down A4 pages from the top, the way a word processor would: each
// block goes below the last, and one that would not fit starts a new page rather than run off
// the edge. Units are points (the writer is set to 72 dots an inch).
#pragma once

#include <QColor>
#include <QFont>
#include <QString>

#include <string>

struct ReportSection;

class QPainter;
class QPdfWriter;

namespace ReportStyle {
inline constexpr int kResolution = 72;
inline constexpr double kMargin = 40;
// Near-black and dark grey on white: both far past 4.5:1.
inline const QColor kInk(0x20, 0x20, 0x20);
inline const QColor kMuted(0x4a, 0x4a, 0x4a);
// `font` at `points`, bold or not, with ligatures off: a search of the PDF's text for "file"
// would miss the one glyph "fi" makes.
QFont Sized(QFont font, double points, bool bold = false);
} // namespace ReportStyle

class PageFlow {
public:
    PageFlow(QPdfWriter& writer, QPainter& painter);

    double Left() const { return ReportStyle::kMargin; }
    double Width() const { return m_width; }
    double Top() const { return m_y; }

    // Starts a new page unless `height` more fits on this one.
    void Room(double height);
    void Skip(double height) { m_y += height; }
    // Text across the page's width; `flags` 0 keeps it on one line.
    void Write(const QString& text, const QFont& font, const QColor& colour = ReportStyle::kInk,
               int flags = Qt::TextWordWrap);
    // A heading and its lines.
    void Section(const ReportSection& section, const QFont& body);
    // A file's line and its SHA-256 under it, kept together on one page.
    void File(const QString& head, const std::string& sha256, const QFont& body, const QFont& mono);

private:
    QPdfWriter& m_writer;
    QPainter& m_painter;
    double m_width = 0;
    double m_bottom = 0;
    double m_y = ReportStyle::kMargin;
};
