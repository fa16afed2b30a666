#include "evidence/report/RouteDrawing.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr double kEarthRadiusMetres = 6371008.8;
// Dark ink on a near-white ground, each well past 4.5:1.
const QColor kGround(0xf7, 0xf7, 0xf4);
const QColor kInk(0x20, 0x20, 0x20);
const QColor kRoute(0x1a, 0x4f, 0x9c);
const QColor kMark(0xb0, 0x10, 0x10);
const QColor kStart(0x10, 0x6b, 0x2a);

QString MetresText(double metres) {
    return metres >= 1000 ? QStringLiteral("%1 km").arg(metres / 1000)
                          : QStringLiteral("%1 m").arg(metres);
}

} // namespace

double RouteDrawing::ScaleMetres(double metresAcross) {
    const double most = std::max(metresAcross / 3, 1.0);
    const double power = std::pow(10.0, std::floor(std::log10(most)));
    for (const double step : {5.0, 2.0, 1.0}) {
        if (step * power <= most) {
            return step * power;
        }
    }
    return power;
}

void RouteDrawing::paint(QPainter& painter, const QRectF& area) const {
    painter.save();
    painter.fillRect(area, kGround);
    painter.setPen(QPen(kInk, 0.5));
    painter.drawRect(area);

    std::vector<const ExcerptSecond*> fixes;
    for (const ReportSecond& second : m_facts.seconds) {
        if (second.track.fix) {
            fixes.push_back(&second.track);
        }
    }
    if (fixes.empty()) {
        painter.drawText(area, Qt::AlignCenter | Qt::TextWordWrap,
                         QStringLiteral("No position in the track:\nno route to draw"));
        painter.restore();
        return;
    }
    // Metres east and north of the first fix: flat enough for the few kilometres of an excerpt.
    const double lat0 = fixes.front()->latitude;
    const double lon0 = fixes.front()->longitude;
    const double perDegree = kEarthRadiusMetres * std::numbers::pi / 180;
    auto metres = [&](const ExcerptSecond& s) {
        return QPointF((s.longitude - lon0) * perDegree * std::cos(lat0 * std::numbers::pi / 180),
                       (s.latitude - lat0) * perDegree);
    };
    double west = 0, east = 0, south = 0, north = 0;
    for (const ExcerptSecond* s : fixes) {
        const QPointF p = metres(*s);
        west = std::min(west, p.x());
        east = std::max(east, p.x());
        south = std::min(south, p.y());
        north = std::max(north, p.y());
    }
    const QRectF inner = area.adjusted(16, 16, -16, -34);
    // A car standing still still gets a picture some tens of metres across.
    const double span = std::max({east - west, north - south, 50.0});
    const double scale = std::min(inner.width(), inner.height()) / span;
    const QPointF middle((west + east) / 2, (south + north) / 2);
    auto place = [&](const ExcerptSecond& s) {
        const QPointF p = metres(s) - middle;
        return QPointF(inner.center().x() + p.x() * scale, inner.center().y() - p.y() * scale);
    };

    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath route;
    route.moveTo(place(*fixes.front()));
    for (const ExcerptSecond* s : fixes) {
        route.lineTo(place(*s));
    }
    painter.setPen(QPen(kRoute, 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(route);
    painter.setPen(QPen(kInk, 0.8));
    painter.setBrush(kStart);
    painter.drawEllipse(place(*fixes.front()), 4, 4);
    painter.setBrush(kInk);
    painter.drawRect(QRectF(place(*fixes.back()) - QPointF(3.5, 3.5), QSizeF(7, 7)));
    if (m_facts.peak && m_facts.seconds[*m_facts.peak].track.fix) {
        const QPointF at = place(m_facts.seconds[*m_facts.peak].track);
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(kMark, 2));
        painter.drawEllipse(at, 7, 7);
        painter.drawLine(at - QPointF(10, 0), at + QPointF(10, 0));
        painter.drawLine(at - QPointF(0, 10), at + QPointF(0, 10));
    }

    const double across = inner.width() / scale;
    const double bar = ScaleMetres(across);
    const QPointF left(area.left() + 12, area.bottom() - 14);
    const QPointF right = left + QPointF(bar * scale, 0);
    painter.setPen(QPen(kInk, 1.5));
    painter.drawLine(left, right);
    painter.drawLine(left, left - QPointF(0, 4));
    painter.drawLine(right, right - QPointF(0, 4));
    QFont font = painter.font();
    font.setPointSizeF(7);
    painter.setFont(font);
    painter.drawText(right + QPointF(4, 3), MetresText(bar));
    const QPointF arrow(area.right() - 14, area.top() + 24);
    painter.drawLine(arrow, arrow - QPointF(0, 12));
    painter.drawLine(arrow - QPointF(0, 12), arrow - QPointF(3, 7));
    painter.drawLine(arrow - QPointF(0, 12), arrow - QPointF(-3, 7));
    painter.drawText(arrow + QPointF(-3, 9), QStringLiteral("N"));
    painter.drawText(QRectF(area.left() + 8, area.bottom() - 30, area.width() - 16, 10),
                     Qt::AlignRight,
                     QStringLiteral("green: start, black: end, red: marked moment"));
    painter.restore();
}
