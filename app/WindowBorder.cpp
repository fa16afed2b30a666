#include "app/WindowBorder.h"

Qt::Edges BorderEdgesAt(QPoint point, QSize client, bool maximised) {
    Qt::Edges edges;
    if (maximised) {
        return edges;
    }
    if (point.x() <= kResizeBorder) {
        edges |= Qt::LeftEdge;
    } else if (point.x() >= client.width() - kResizeBorder) {
        edges |= Qt::RightEdge;
    }
    if (point.y() <= kResizeBorder) {
        edges |= Qt::TopEdge;
    } else if (point.y() >= client.height() - kResizeBorder) {
        edges |= Qt::BottomEdge;
    }
    return edges;
}

bool TogglesMaximise(QPoint point) {
    return point.y() < kTitleBandHeight;
}

QRect MaximisedRect(const QRect& workArea) {
    return QRect(workArea.left() - 2, workArea.top() - 2, workArea.width() + 4,
                 workArea.height() + 4);
}
