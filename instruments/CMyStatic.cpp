#include "instruments/CMyStatic.h"

#include "skin/SkinSelfDrawn.h"
#include "skin/SkinSE.h"
#include "instruments/CGSensesDlg.h"

#include <QPaintEvent>
#include <QPainter>
#include <QPen>

namespace {

CMyStatic* g_chart = nullptr;

const QColor kZeroLine(0, 100, 0);
const QColor kOneGLine(50, 50, 50);

ChartRect ToChartRect(const QRect& rect) {
    return {rect.left(), rect.top(), rect.width(), rect.height()};
}

QPoint ToPoint(const ChartPoint& point) {
    return {point.x, point.y};
}

// Horizontal lines at +1 g, 0 g and -1 g; none at +/-2 g, which are the edges.
void DrawGrid(QPainter& painter, const ChartRect& rect) {
    const double step = rect.height / 4.0;
    const int right = rect.left + rect.width;
    for (int k = 3; k >= 1; --k) {
        const int y = static_cast<int>(rect.top + k * step);
        painter.setPen(QPen(k == 2 ? kZeroLine : kOneGLine, 1));
        painter.drawLine(rect.left, y, right, y);
    }
}

size_t LayerIndex(GAxis axis) {
    return static_cast<size_t>(axis);
}

} // namespace

CMyStatic::CMyStatic(QWidget* parent) : QWidget(parent) {
    setObjectName(QLatin1String(kChartObjectName));
    // Every paint covers the whole area it is asked for; Qt need not clear it first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    g_chart = this;
}

CMyStatic::~CMyStatic() {
    if (g_chart == this) {
        g_chart = nullptr;
    }
}

CMyStatic* CMyStatic::Instance() {
    return g_chart;
}

QColor CMyStatic::AxisColour(GAxis axis) {
    switch (axis) {
    case GAxis::X:
        return {0, 0, 200};
    case GAxis::Y:
        return {200, 0, 0};
    case GAxis::Z:
        return {0, 200, 0};
    case GAxis::G:
        break;
    }
    return {255, 255, 255};
}

int CMyStatic::AddTrackLine(const char* line) {
    const int stored = m_store.AddTrackLine(line);
    if (m_store.TakeRepaintRequest()) {
        Invalidate();
    }
    // A load stores many lines in a row: the repaint waits for the event loop, once.
    if (stored != 0) {
        update();
    }
    return stored;
}

void CMyStatic::ResetTrack(int seconds) {
    m_store.ResetTrack(seconds);
    m_store.TakeRepaintRequest();
    Invalidate();
    update();
}

void CMyStatic::AdvanceTo(unsigned second) {
    if (m_store.TakeRepaintRequest()) {
        Invalidate();
    }
    const unsigned previous = m_store.m_nLastSecond;
    const size_t count = m_store.m_samples.size();
    const bool drawable = second > 0 && second < count;
    if (drawable) {
        if (CGSensesDlg* pane = CGSensesDlg::Instance()) {
            const GSample& sample = m_store.m_samples[second];
            for (GAxis axis : kDrawnAxes) {
                pane->SetValueLabel(axis, AxisValue(sample, axis));
            }
        }
    }
    m_store.m_nLastSecond = second;

    // Only the next second in line extends the curves in place. A seek either way, or a
    // store that changed under the layers, redraws the whole chart once, so that it never
    // shows segments of seconds not yet played or leaves the skipped ones out.
    if (LayersStale() || (second != previous && second != previous + 1)) {
        Invalidate();
        update();
        return;
    }
    if (!drawable || second == previous) {
        return;
    }
    const ChartRect rect = ToChartRect(this->rect());
    QRect dirty;
    for (GAxis axis : kDrawnAxes) {
        QPainter painter(&m_layers[LayerIndex(axis)]);
        dirty |= DrawSegment(painter, rect, axis, second);
    }
    update(dirty.adjusted(-2, -2, 2, 2));
}

void CMyStatic::paint(QPainter& painter, const QRect& rect) {
    SkinSE_UI_DrawBack(this, painter, rect.left(), rect.top(), rect.width(), rect.height(), 255);
    const ChartRect chart = ToChartRect(rect);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    DrawGrid(painter, chart);
    for (GAxis axis : kDrawnAxes) {
        DrawCurve(painter, chart, axis);
    }
    painter.restore();
}

void CMyStatic::paintEvent(QPaintEvent* event) {
    if (m_store.TakeRepaintRequest()) {
        Invalidate();
    }
    if (LayersStale()) {
        RebuildLayers();
    }
    QPainter painter(this);
    painter.setClipRegion(event->region());
    painter.drawImage(QPoint(0, 0), m_back);
    for (const QImage& layer : m_layers) {
        painter.drawImage(QPoint(0, 0), layer);
    }
}

QRect CMyStatic::DrawSegment(QPainter& painter, const ChartRect& rect, GAxis axis,
                             unsigned s) const {
    const QPoint from =
        ToPoint(PointAt(rect, m_store.m_nScale, s - 1, AxisValue(m_store.m_samples[s - 1], axis)));
    const QPoint to =
        ToPoint(PointAt(rect, m_store.m_nScale, s, AxisValue(m_store.m_samples[s], axis)));
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(AxisColour(axis), 1));
    painter.drawLine(from, to);
    return QRect(from, to).normalized();
}

// Drawn segment by segment, the same calls a tick makes, so that curves grown by ticks and
// curves drawn in one go come out pixel for pixel alike.
void CMyStatic::DrawCurve(QPainter& painter, const ChartRect& rect, GAxis axis) const {
    const size_t count = m_store.m_samples.size();
    for (size_t i = 1; i < count && i <= m_store.m_nLastSecond; ++i) {
        DrawSegment(painter, rect, axis, static_cast<unsigned>(i));
    }
}

bool CMyStatic::LayersStale() const {
    return !m_bLayersValid || m_back.isNull() || m_back.size() != size() * devicePixelRatio() ||
           m_nLayersScale != m_store.m_nScale || m_nLayersSamples != m_store.m_samples.size();
}

void CMyStatic::RebuildLayers() {
    const qreal ratio = devicePixelRatio();
    const QSize pixels = size() * ratio;
    if (pixels.isEmpty()) {
        return;
    }
    const ChartRect chart = ToChartRect(rect());

    m_back = QImage(pixels, QImage::Format_RGB32);
    m_back.setDevicePixelRatio(ratio);
    {
        QPainter painter(&m_back);
        SkinSE_UI_DrawBack(this, painter, 0, 0, width(), height(), 255);
        painter.setRenderHint(QPainter::Antialiasing, false);
        DrawGrid(painter, chart);
    }
    for (GAxis axis : kDrawnAxes) {
        QImage& layer = m_layers[LayerIndex(axis)];
        layer = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
        layer.setDevicePixelRatio(ratio);
        layer.fill(Qt::transparent);
        QPainter painter(&layer);
        DrawCurve(painter, chart, axis);
    }
    m_bLayersValid = true;
    m_nLayersScale = m_store.m_nScale;
    m_nLayersSamples = m_store.m_samples.size();
}

void CMyStatic::Invalidate() {
    m_bLayersValid = false;
}
