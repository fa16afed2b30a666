#include "app/CMapViewLink.h"

#include "map/CMapView.h"

bool CMapViewLink::LoadEmbeddedTrack(ClipTrackLoader& loader) {
    CMapView* view = CMapView::Instance();
    return view != nullptr && view->LoadEmbeddedTrack(loader);
}

void CMapViewLink::LoadNmeaLog(ClipTrackLoader& loader) {
    if (CMapView* view = CMapView::Instance()) {
        view->LoadNmeaLog(loader);
    }
}
