#include "map/CHtmlViewDlg.h"

#include "map/CMapView.h"
#include "skin/SkinSE.h"

#include <QResizeEvent>

CHtmlViewDlg::CHtmlViewDlg(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("135"));
    SkinSE_SubclassWindow(this, QStringLiteral("htmlview"));
    m_view = new CMapView(this);
    SkinSE_SubclassWindow(m_view, QStringLiteral("mapview"));
    m_view->setGeometry(0, 0, 100, 100);
    m_view->show();
}

void CHtmlViewDlg::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const QSize size = event->size();
    m_view->setGeometry(8, 8, size.width() - 16, size.height() - 16);
}
