// The excerpt's route as a picture for the report: the track drawn to scale on a plain
// background, with its start, its end and the marked moment, a scale bar and north. Drawn
// from the track alone, so the report never depends on map tiles being at hand; an excerpt
// without positions gets a picture that says so rather than a blank.
#pragma once

#include "evidence/ReportFacts.h"

#include <QRectF>

class QPainter;

class RouteDrawing {
public:
    explicit RouteDrawing(const ReportFacts& facts) : m_facts(facts) {}

    void paint(QPainter& painter, const QRectF& area) const;

    // The scale bar's length in metres for a picture `metresAcross` wide: 1, 2 or 5 times a
    // power of ten, at most a third of the width.
    static double ScaleMetres(double metresAcross);

private:
    const ReportFacts& m_facts;
};
