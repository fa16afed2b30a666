#include "instruments/CSpeedStatic.h"

#include "skin/SkinSE.h"
#include "skin/SkinSelfDrawn.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>

#include <algorithm>

namespace {

CSpeedStatic* g_dial = nullptr;

QPoint ToPoint(const DialPoint& point) {
    return {point.x, point.y};
}

void FillTriangle(QPainter& painter, const DialPoint& a, const DialPoint& b, const DialPoint& c,
                  const QColor& colour) {
    painter.setBrush(colour);
    const QPolygon triangle({ToPoint(a), ToPoint(b), ToPoint(c)});
    painter.drawPolygon(triangle);
}

// Bounding rectangles as left, top, right, bottom with right and bottom outside the ellipse.
void FillEllipse(QPainter& painter, int left, int top, int right, int bottom,
                 const QColor& colour) {
    painter.setBrush(colour);
    painter.drawEllipse(QRect(left, top, right - left, bottom - top));
}

} // namespace

CSpeedStatic::CSpeedStatic(QWidget* parent) : QWidget(parent) {
    setObjectName(QLatin1String(kSpeedDialObjectName));
    setFixedSize(kWidth, kHeight);
    // Every paint covers the whole dial; Qt need not clear it first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    g_dial = this;
}

CSpeedStatic::~CSpeedStatic() {
    if (g_dial == this) {
        g_dial = nullptr;
    }
}

CSpeedStatic* CSpeedStatic::Instance() {
    return g_dial;
}

void CSpeedStatic::SetSpeedRecord(int second, int speed, int heading) {
    m_model->SetSpeedRecord(second, speed, heading);
}

void CSpeedStatic::ShowTrack(CSpeedDialModel& model) {
    model.m_bKmh = m_model->m_bKmh;
    m_model = &model;
    update();
}

void CSpeedStatic::TrackChanged(const TrackChange& change) {
    if (change.kind == TrackChange::Kind::Reloaded) {
        m_bHasReading = false;
        update();
    }
}

void CSpeedStatic::ClearSpeedRecords() {
    m_model->ClearSpeedRecords();
    TrackChanged(TrackChange{TrackChange::Kind::Reloaded});
}

void CSpeedStatic::ShowSpeedAt(int second) {
    if (m_model->ShowSpeedAt(second)) {
        m_bHasReading = true;
        update();
    }
}

void CSpeedStatic::SetKmh(bool kmh) {
    m_model->m_bKmh = kmh ? 1 : 0;
    update();
}

QString CSpeedStatic::Text() const {
    if (!m_bHasReading) {
        return {};
    }
    return QString::fromStdString(m_model->SpeedText());
}

// The scale and the compass rose are round: an area of another shape than the dial's own
// gets the dial scaled evenly to fit and centred, never stretched or cut off.
void CSpeedStatic::paint(QPainter& painter, const QRect& rect) {
    const double scale = std::min(static_cast<double>(rect.width()) / kWidth,
                                  static_cast<double>(rect.height()) / kHeight);
    if (!(scale > 0)) {
        return;
    }
    painter.fillRect(rect, palette().window());
    painter.save();
    painter.translate(rect.left() + (rect.width() - kWidth * scale) / 2,
                      rect.top() + (rect.height() - kHeight * scale) / 2);
    painter.scale(scale, scale);
    SkinSE_UI_DrawBack(this, painter, 0, 0, kWidth, kHeight, 255);
    // Needles on whole pixels, exactly where the point rule puts them.
    painter.setRenderHint(QPainter::Antialiasing, false);
    if (m_bHasReading) {
        DrawSpeedNeedle(painter, 94, 47, 29, 2);
        DrawCompass(painter, 184, 47, 29, 3);
        painter.setPen(QColor(255, 255, 255));
        painter.setBackgroundMode(Qt::TransparentMode);
        painter.drawText(QRect(102, 92, 186 - 102, 107 - 92), Qt::AlignHCenter | Qt::AlignTop,
                         Text());
    }
    painter.restore();
}

void CSpeedStatic::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    paint(painter, rect());
}

void CSpeedStatic::mousePressEvent(QMouseEvent* event) {
    // A press on the dial belongs to the main window, which moves itself with it.
    event->ignore();
}

void CSpeedStatic::DrawSpeedNeedle(QPainter& painter, int cx, int cy, int length, int width) const {
    const DialPoint tip = SpeedNeedleTip(cx, cy, length, m_model->ShownSpeed());
    painter.setPen(QPen(QColor(255, 0, 0), width));
    painter.drawLine(QPoint(cx, cy), ToPoint(tip));
}

void CSpeedStatic::DrawCompass(QPainter& painter, int cx, int cy, int length, int halfWidth) const {
    const CompassPoints points = CompassAt(cx, cy, length, halfWidth, m_model->m_nHeading);
    const DialPoint centre{cx, cy};
    painter.setPen(Qt::NoPen);
    FillTriangle(painter, points.right, centre, points.tip, QColor(163, 163, 163));
    FillTriangle(painter, points.right, centre, points.tail, QColor(163, 35, 0));
    FillTriangle(painter, points.left, centre, points.tail, QColor(255, 51, 0));
    FillTriangle(painter, points.left, centre, points.tip, QColor(0, 0, 0));
    FillEllipse(painter, cx - 4, cy - 4, cx + 5, cy + 5, QColor(175, 175, 175));
    FillEllipse(painter, cx - 2, cy - 2, cx + 3, cy + 3, QColor(220, 220, 220));
    FillEllipse(painter, cx - 2, cy - 2, cx + 2, cy + 2, QColor(0, 0, 0));
}
