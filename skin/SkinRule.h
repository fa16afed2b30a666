// Where a registered window goes inside its parent: each edge is a fraction of the
// parent's width or height plus a number of pixels, so a pane keeps its share of the
// window as it resizes while controls can keep a fixed size against an edge.
#pragma once

#include <QRect>
#include <QSize>

struct SkinEdge {
    double fraction = 0.0;
    int pixels = 0;

    int At(int extent) const;
};

struct SkinRule {
    SkinEdge left;
    SkinEdge top;
    SkinEdge right;
    SkinEdge bottom;
    // A window the layout keeps out of sight (a collapsed pane).
    bool hidden = false;

    // The rectangle in the parent's client area; empty, never inverted, when the parent
    // is too small for it.
    QRect Place(const QSize& parent) const;
};
