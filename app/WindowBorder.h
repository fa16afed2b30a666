// The rules of a window that draws no frame of its own: which edges a pointer near its rim
// takes hold of, where a double-click toggles maximise, and the rectangle a maximised window
// takes on its screen. Pure functions, so that the table can be checked without a window
// manager.
#pragma once

#include <QRect>
#include <Qt>

// Pixels of the client rim that resize the window.
inline constexpr int kResizeBorder = 3;
// A double-click above this client y (the title band) toggles maximise.
inline constexpr int kTitleBandHeight = 53;

// The edges a press at `point` (client coordinates) resizes: none in the middle, one edge
// along a side, two at a corner. A maximised window has no border zone.
Qt::Edges BorderEdgesAt(QPoint point, QSize client, bool maximised);

bool TogglesMaximise(QPoint point);

// The maximised window overlaps the work area by 2 pixels on every side, so that its own
// rim lies off screen and never offers a resize.
QRect MaximisedRect(const QRect& workArea);
