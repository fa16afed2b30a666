#include "instruments/CMyStatic.h"

#include "instruments/CGSensesDlg.h"
#include "skin/SkinSE.h"
#include "skin/SkinSelfDrawn.h"
#include "track/TrackLine.h"

#include <QPaintEvent>
#include <QPainter>
#include <QPen>
#include <QVarLengthArray>

#include <algorithm>
#include <optional>

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

void CMyStatic::ShowTrack(CGSampleStore& store) {
    m_store = &store;
    Invalidate();
    update();
}

int CMyStatic::AddTrackLine(const char* line) {
    const std::optional<int> second = line != nullptr ? TrackLineSecond(line) : std::nullopt;
    const int stored = m_store->AddTrackLine(line);
    if (stored != 0 && second) {
        TrackChanged(TrackChange{TrackChange::Kind::ChartLine, *second});
    }
    return stored;
}

void CMyStatic::TrackChanged(const TrackChange& change) {
    if (change.kind == TrackChange::Kind::MapLine) {
        return;
    }
    if (change.kind == TrackChange::Kind::Reloaded) {
        // The value labels go back to their start too: a clip without samples never writes
        // them, and would show the last clip's values.
        if (CGSensesDlg* pane = CGSensesDlg::Instance()) {
            for (GAxis axis : kDrawnAxes) {
                pane->SetValueLabel(axis, 0.0);
            }
        }
        m_store->TakeRepaintRequest();
        Invalidate();
        update();
        return;
    }
    const auto second = static_cast<unsigned>(change.second);
    // A line that cuts the store behind the drawn seconds leaves the drawn segments as they
    // are; only a cut into them takes segments off the screen.
    if (m_store->TakeRepaintRequest() && second <= m_nLayersSecond) {
        Invalidate();
    }
    // A load stores many lines in a row: the repaint waits for the event loop, once. A line
    // for a second not shown yet changes nothing on screen unless it rescales the curves.
    if (LayersStale() || second <= m_store->m_nLastSecond) {
        update();
    }
}

void CMyStatic::ResetTrack(int seconds) {
    m_store->ResetTrack(seconds);
    TrackChanged(TrackChange{TrackChange::Kind::Reloaded});
}

void CMyStatic::AdvanceTo(unsigned second) {
    if (m_store->TakeRepaintRequest()) {
        Invalidate();
    }
    const size_t count = m_store->m_samples.size();
    if (second > 0 && second < count) {
        if (CGSensesDlg* pane = CGSensesDlg::Instance()) {
            const GSample& sample = m_store->m_samples[second];
            for (GAxis axis : kDrawnAxes) {
                pane->SetValueLabel(axis, AxisValue(sample, axis));
            }
        }
    }
    m_store->m_nLastSecond = second;

    // Going back leaves segments of seconds not played yet on the layers: they are drawn
    // afresh. Going forward, by one second or many, only adds segments.
    if (second < m_nLayersSecond) {
        Invalidate();
    }
    if (LayersStale()) {
        update();
        return;
    }
    const QRect dirty = ExtendLayers();
    if (!dirty.isNull()) {
        update(dirty.adjusted(-2, -2, 2, 2));
    }
}

void CMyStatic::paint(QPainter& painter, const QRect& rect) {
    SkinSE_UI_DrawBack(this, painter, rect.left(), rect.top(), rect.width(), rect.height(), 255);
    const ChartRect chart = ToChartRect(rect);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    DrawGrid(painter, chart);
    const unsigned last = LastDrawableSecond();
    for (GAxis axis : kDrawnAxes) {
        DrawSegments(painter, chart, axis, 1, last);
    }
    painter.restore();
}

void CMyStatic::paintEvent(QPaintEvent* event) {
    if (m_store->TakeRepaintRequest()) {
        Invalidate();
    }
    if (LayersStale()) {
        RebuildLayers();
    } else {
        ExtendLayers();
    }
    QPainter painter(this);
    painter.setClipRegion(event->region());
    painter.drawImage(QPoint(0, 0), m_back);
    for (const QImage& layer : m_layers) {
        painter.drawImage(QPoint(0, 0), layer);
    }
}

// One call per run of segments, each segment a line of its own: the same pixels whether a
// curve is drawn in one go or grown a few seconds at a time.
//
// Once the clip has more seconds than the chart has pixels across, many seconds fall on one
// column. There the segments are vertical and joined end to end, so together they cover
// exactly the pixels from their highest point to their lowest: one line per column draws
// what one line per second would, and a redraw costs as much for an hour as for a minute.
QRect CMyStatic::DrawSegments(QPainter& painter, const ChartRect& rect, GAxis axis, unsigned from,
                              unsigned to) const {
    if (from > to) {
        return {};
    }
    QVarLengthArray<QLine, 64> lines;
    const unsigned scale = m_store->m_nScale;
    auto pointOf = [&](unsigned s) {
        return ToPoint(PointAt(rect, scale, s, AxisValue(m_store->m_samples[s], axis)));
    };
    QPoint previous = pointOf(from - 1);
    int top = previous.y();
    int bottom = previous.y();
    const int left = previous.x();
    int columnTop = previous.y();
    int columnBottom = previous.y();
    bool columnHasSegment = false;
    for (unsigned s = from; s <= to; ++s) {
        const QPoint next = pointOf(s);
        top = std::min(top, next.y());
        bottom = std::max(bottom, next.y());
        if (next.x() == previous.x()) {
            columnTop = std::min(columnTop, next.y());
            columnBottom = std::max(columnBottom, next.y());
            columnHasSegment = true;
        } else {
            if (columnHasSegment) {
                lines.append(QLine(previous.x(), columnTop, previous.x(), columnBottom));
            }
            lines.append(QLine(previous, next));
            columnTop = next.y();
            columnBottom = next.y();
            columnHasSegment = false;
        }
        previous = next;
    }
    if (columnHasSegment) {
        lines.append(QLine(previous.x(), columnTop, previous.x(), columnBottom));
    }
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(AxisColour(axis), 1));
    painter.drawLines(lines.constData(), static_cast<int>(lines.size()));
    return QRect(QPoint(left, top), QPoint(previous.x(), bottom));
}

unsigned CMyStatic::LastDrawableSecond() const {
    const size_t count = m_store->m_samples.size();
    return count == 0 ? 0
                      : static_cast<unsigned>(std::min<size_t>(count - 1, m_store->m_nLastSecond));
}

bool CMyStatic::LayersStale() const {
    return !m_bLayersValid || m_back.isNull() || m_back.size() != size() * devicePixelRatio() ||
           m_nLayersScale != m_store->m_nScale;
}

void CMyStatic::RebuildLayers() {
    const qreal ratio = devicePixelRatio();
    const QSize pixels = size() * ratio;
    if (pixels.isEmpty()) {
        return;
    }
    const ChartRect chart = ToChartRect(rect());

    // The background and the grid depend on the size alone.
    if (m_back.size() != pixels || m_back.devicePixelRatio() != ratio) {
        m_back = QImage(pixels, QImage::Format_RGB32);
        m_back.setDevicePixelRatio(ratio);
        QPainter painter(&m_back);
        SkinSE_UI_DrawBack(this, painter, 0, 0, width(), height(), 255);
        painter.setRenderHint(QPainter::Antialiasing, false);
        DrawGrid(painter, chart);
        for (QImage& layer : m_layers) {
            layer = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
            layer.setDevicePixelRatio(ratio);
        }
    }
    const unsigned last = LastDrawableSecond();
    for (GAxis axis : kDrawnAxes) {
        QImage& layer = m_layers[LayerIndex(axis)];
        layer.fill(Qt::transparent);
        QPainter painter(&layer);
        DrawSegments(painter, chart, axis, 1, last);
    }
    m_bLayersValid = true;
    m_nLayersScale = m_store->m_nScale;
    m_nLayersSecond = last;
}

QRect CMyStatic::ExtendLayers() {
    const unsigned last = LastDrawableSecond();
    if (last <= m_nLayersSecond) {
        return {};
    }
    const ChartRect rect = ToChartRect(this->rect());
    QRect dirty;
    for (GAxis axis : kDrawnAxes) {
        QPainter painter(&m_layers[LayerIndex(axis)]);
        dirty |= DrawSegments(painter, rect, axis, m_nLayersSecond + 1, last);
    }
    m_nLayersSecond = last;
    return dirty;
}

void CMyStatic::Invalidate() {
    m_bLayersValid = false;
}
