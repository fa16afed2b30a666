#include "evidence/report/PageFlow.h"

#include "evidence/ReportText.h"

#include <QPainter>
#include <QPdfWriter>

QFont ReportStyle::Sized(QFont font, double points, bool bold) {
    font.setPointSizeF(points);
    font.setBold(bold);
    font.setStyleStrategy(QFont::PreferNoShaping);
    return font;
}

PageFlow::PageFlow(QPdfWriter& writer, QPainter& painter) : m_writer(writer), m_painter(painter) {
    m_width = painter.viewport().width() - 2 * ReportStyle::kMargin;
    m_bottom = painter.viewport().height() - ReportStyle::kMargin;
}

void PageFlow::Room(double height) {
    if (m_y + height > m_bottom && m_y > ReportStyle::kMargin) {
        m_writer.newPage();
        m_y = ReportStyle::kMargin;
    }
}

void PageFlow::Write(const QString& text, const QFont& font, const QColor& colour, int flags) {
    m_painter.setFont(font);
    m_painter.setPen(colour);
    const QRectF bounds =
        m_painter.boundingRect(QRectF(Left(), 0, m_width, 10000), flags | Qt::AlignLeft, text);
    Room(bounds.height());
    m_painter.drawText(QRectF(Left(), m_y, m_width, bounds.height()), flags | Qt::AlignLeft, text);
    m_y += bounds.height();
}

void PageFlow::Section(const ReportSection& section, const QFont& body) {
    Skip(4);
    Room(30);
    Write(QString::fromStdString(section.title), ReportStyle::Sized(body, 10, true));
    for (const std::string& line : section.lines) {
        Write(QString::fromStdString(line), body);
    }
}

void PageFlow::File(const QString& head, const std::string& sha256, const QFont& body,
                    const QFont& mono) {
    Room(22);
    Write(head, body);
    Write(QStringLiteral("SHA-256 ") + QString::fromStdString(sha256), mono, ReportStyle::kMuted,
          0);
}
