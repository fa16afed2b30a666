// The excerpt's speed and its G-sensor reading along the car as two charts over the
// excerpt's time, one above the other, with the marked moment drawn across both. Seconds
// without a value leave a gap rather than a line to zero.
#pragma once

#include "evidence/ReportFacts.h"

#include <QRectF>

class QPainter;

class MotionChart {
public:
    explicit MotionChart(const ReportFacts& facts) : m_facts(facts) {}

    void paint(QPainter& painter, const QRectF& area) const;

private:
    enum class Series { Speed, AlongG };
    void PaintSeries(QPainter& painter, const QRectF& area, Series series) const;

    const ReportFacts& m_facts;
};
