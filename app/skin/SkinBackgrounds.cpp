#include "app/skin/SkinBackgrounds.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QRect>
#include <QString>
#include <QtMath>

#include <array>

namespace {

// The face is designed for the dial's fixed size and stretched to any other.
constexpr double kFaceWidth = 272.0;
constexpr double kFaceHeight = 110.0;

// The needles the dial draws over this face: the speed needle turns about (94, 47) and is
// 29 px long, the compass needle about (184, 47); the scales sit just outside their tips.
constexpr QPointF kSpeedCentre(94.0, 47.0);
constexpr QPointF kCompassCentre(184.0, 47.0);

// The speed scale: 0 at 230 degrees, one degree clockwise per unit, up to 280 at -50.
constexpr int kSpeedTop = 280;
constexpr double kSpeedZeroAngle = 230.0;

// Face colours. None of them is the needle's pure red, so the needle always stands out.
const QColor kPanel(26, 27, 31);
const QColor kPanelEdge(58, 60, 66);
const QColor kBezel(44, 46, 52);
const QColor kTick(205, 208, 214);
const QColor kMinorTick(130, 134, 142);
const QColor kNumber(180, 184, 192);
const QColor kRedZone(150, 40, 36);
const QColor kNorth(230, 110, 60);

// A point at `angle` degrees counter-clockwise from +x and distance r from the centre, with y
// growing downward, as the dial's needle rule places its tips.
QPointF Polar(const QPointF& centre, double angle, double r) {
    const double radians = qDegreesToRadians(angle);
    return {centre.x() + std::cos(radians) * r, centre.y() - std::sin(radians) * r};
}

void DrawTick(QPainter& painter, const QPointF& centre, double angle, double inner, double outer) {
    painter.drawLine(Polar(centre, angle, inner), Polar(centre, angle, outer));
}

// Text centred on a point, in a box large enough for three digits.
void DrawCentredText(QPainter& painter, const QPointF& at, const QString& text) {
    const QRectF box(at.x() - 10.0, at.y() - 5.0, 20.0, 10.0);
    painter.drawText(box, Qt::AlignCenter, text);
}

QFont SmallFont(double pixelSize, bool bold) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(qRound(pixelSize));
    font.setBold(bold);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

void DrawPanel(QPainter& painter) {
    const QRectF panel(0.5, 0.5, kFaceWidth - 1.0, kFaceHeight - 1.0);
    painter.fillRect(QRectF(0, 0, kFaceWidth, kFaceHeight), QColor(12, 12, 14));
    painter.setPen(QPen(kPanelEdge, 1.0));
    painter.setBrush(kPanel);
    painter.drawRoundedRect(panel, 8.0, 8.0);
}

void DrawBezel(QPainter& painter, const QPointF& centre, double radius) {
    QRadialGradient glow(centre, radius);
    glow.setColorAt(0.0, QColor(36, 38, 44));
    glow.setColorAt(0.85, QColor(24, 25, 29));
    glow.setColorAt(1.0, kBezel);
    painter.setPen(QPen(kPanelEdge, 1.0));
    painter.setBrush(glow);
    painter.drawEllipse(centre, radius, radius);
}

void DrawSpeedScale(QPainter& painter) {
    DrawBezel(painter, kSpeedCentre, 46.0);

    // The top of the scale, 200 and over, as a dark red band under the ticks.
    const double bandStart = kSpeedZeroAngle - 200.0;
    const double bandSpan = -(kSpeedTop - 200.0);
    const QRectF band(kSpeedCentre.x() - 33.5, kSpeedCentre.y() - 33.5, 67.0, 67.0);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(kRedZone, 3.0, Qt::SolidLine, Qt::FlatCap));
    painter.drawArc(band, qRound(bandStart * 16), qRound(bandSpan * 16));

    for (int value = 0; value <= kSpeedTop; value += 10) {
        const double angle = kSpeedZeroAngle - value;
        const bool major = value % 20 == 0;
        painter.setPen(
            QPen(major ? kTick : kMinorTick, major ? 1.4 : 1.0, Qt::SolidLine, Qt::FlatCap));
        DrawTick(painter, kSpeedCentre, angle, 31.0, major ? 37.0 : 34.5);
    }

    painter.setFont(SmallFont(7.0, false));
    painter.setPen(kNumber);
    for (int value = 0; value <= kSpeedTop; value += 40) {
        DrawCentredText(painter, Polar(kSpeedCentre, kSpeedZeroAngle - value, 42.0),
                        QString::number(value));
    }
}

void DrawCompassRose(QPainter& painter) {
    DrawBezel(painter, kCompassCentre, 42.0);

    for (int heading = 0; heading < 360; heading += 10) {
        const double angle = 90.0 - heading;
        const bool cardinal = heading % 90 == 0;
        const bool major = heading % 30 == 0;
        painter.setPen(
            QPen(major ? kTick : kMinorTick, cardinal ? 1.6 : 1.0, Qt::SolidLine, Qt::FlatCap));
        DrawTick(painter, kCompassCentre, angle, 31.0, cardinal ? 36.0 : (major ? 34.5 : 33.0));
    }

    struct Cardinal {
        int heading;
        const char* letter;
    };
    constexpr std::array<Cardinal, 4> cardinals{{{0, "N"}, {90, "E"}, {180, "S"}, {270, "W"}}};
    painter.setFont(SmallFont(8.0, true));
    for (const Cardinal& cardinal : cardinals) {
        painter.setPen(cardinal.heading == 0 ? kNorth : kNumber);
        DrawCentredText(painter, Polar(kCompassCentre, 90.0 - cardinal.heading, 39.5),
                        QString::fromLatin1(cardinal.letter));
    }
}

} // namespace

void DrawChartBack(QPainter& painter, const QRect& rect) {
    painter.fillRect(rect, QColor(20, 20, 24));
}

void DrawSpeedDialFace(QPainter& painter, const QRect& rect) {
    if (rect.isEmpty()) {
        return;
    }
    painter.save();
    painter.setClipRect(rect, Qt::IntersectClip);
    painter.translate(rect.topLeft());
    painter.scale(rect.width() / kFaceWidth, rect.height() / kFaceHeight);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);

    DrawPanel(painter);
    DrawSpeedScale(painter);
    DrawCompassRose(painter);

    painter.restore();
}
