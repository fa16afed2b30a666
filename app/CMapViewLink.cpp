#include "app/CMapViewLink.h"

#include "map/CMapView.h"

bool CMapViewLink::LoadEmbeddedTrack(const QString& clipPath) {
    CMapView* view = CMapView::Instance();
    return view != nullptr && view->LoadEmbeddedTrack(clipPath);
}

void CMapViewLink::LoadNmeaLog(const QString& sidecarPath) {
    if (CMapView* view = CMapView::Instance()) {
        view->LoadNmeaLog(sidecarPath);
    }
}
