#include "evidence/report/MotionChart.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <optional>

namespace {

const QColor kGround(0xf7, 0xf7, 0xf4);
const QColor kInk(0x20, 0x20, 0x20);
const QColor kGrid(0xc8, 0xc8, 0xc0);
const QColor kLine(0x1a, 0x4f, 0x9c);
const QColor kMark(0xb0, 0x10, 0x10);

std::optional<double> ValueOf(const ReportSecond& second, bool speed) {
    if (speed) {
        return second.track.hasSpeed ? std::optional<double>(second.track.kmh) : std::nullopt;
    }
    return second.alongG;
}

} // namespace

void MotionChart::paint(QPainter& painter, const QRectF& area) const {
    const double half = (area.height() - 6) / 2;
    PaintSeries(painter, QRectF(area.left(), area.top(), area.width(), half), Series::Speed);
    PaintSeries(painter, QRectF(area.left(), area.top() + half + 6, area.width(), half),
                Series::AlongG);
}

void MotionChart::PaintSeries(QPainter& painter, const QRectF& area, Series series) const {
    const bool speed = series == Series::Speed;
    painter.save();
    painter.fillRect(area, kGround);
    painter.setPen(QPen(kInk, 0.5));
    painter.drawRect(area);
    QFont font = painter.font();
    font.setPointSizeF(7);
    painter.setFont(font);
    const QRectF plot = area.adjusted(30, 14, -8, -12);
    painter.drawText(QRectF(area.left() + 4, area.top() + 2, area.width() - 8, 10), Qt::AlignLeft,
                     speed ? QStringLiteral("Speed, km/h")
                           : QStringLiteral("G-sensor along the car, g (braking below 0)"));

    double low = speed ? 0 : -0.5;
    double high = speed ? 10 : 0.5;
    bool any = false;
    for (const ReportSecond& second : m_facts.seconds) {
        if (const std::optional<double> v = ValueOf(second, speed)) {
            low = std::min(low, *v);
            high = std::max(high, *v);
            any = true;
        }
    }
    if (!any) {
        painter.drawText(plot, Qt::AlignCenter,
                         speed ? QStringLiteral("No speed in the track")
                               : QStringLiteral("No G-sensor readings in the track"));
        painter.restore();
        return;
    }
    high = speed ? std::ceil(high / 10) * 10 : std::ceil(high * 4) / 4;
    low = speed ? 0 : std::floor(low * 4) / 4;
    const double length = std::max(m_facts.length, 1.0);
    auto x = [&](double at) { return plot.left() + plot.width() * at / length; };
    auto y = [&](double v) { return plot.bottom() - plot.height() * (v - low) / (high - low); };

    painter.setPen(QPen(kGrid, 0.5));
    const double zero = speed ? low : 0.0;
    painter.drawLine(QPointF(plot.left(), y(zero)), QPointF(plot.right(), y(zero)));
    painter.setPen(QPen(kInk, 0.5));
    const auto number = [&](double v) {
        return speed ? QString::number(v, 'f', 0) : QString::number(v, 'f', 2);
    };
    painter.drawText(QRectF(area.left(), y(high) - 5, 27, 10), Qt::AlignRight, number(high));
    painter.drawText(QRectF(area.left(), y(low) - 5, 27, 10), Qt::AlignRight, number(low));
    painter.drawText(QRectF(plot.left(), plot.bottom() + 1, plot.width(), 10), Qt::AlignLeft,
                     QStringLiteral("0 s"));
    painter.drawText(QRectF(plot.left(), plot.bottom() + 1, plot.width(), 10), Qt::AlignRight,
                     QStringLiteral("%1 s").arg(m_facts.length, 0, 'f', 1));

    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath line;
    bool open = false;
    for (const ReportSecond& second : m_facts.seconds) {
        const std::optional<double> v = ValueOf(second, speed);
        if (!v) {
            open = false;
            continue;
        }
        const QPointF p(x((second.track.begin + second.track.end) / 2), y(*v));
        open ? line.lineTo(p) : line.moveTo(p);
        open = true;
    }
    painter.setPen(QPen(kLine, 1.5));
    painter.drawPath(line);
    if (m_facts.peak) {
        const ReportSecond& peak = m_facts.seconds[*m_facts.peak];
        const double at = x((peak.track.begin + peak.track.end) / 2);
        painter.setPen(QPen(kMark, 1.5, Qt::DashLine));
        painter.drawLine(QPointF(at, plot.top()), QPointF(at, plot.bottom()));
    }
    painter.restore();
}
