#include "app/WindowTrackStores.h"

#include "instruments/CMyStatic.h"
#include "instruments/CSpeedStatic.h"
#include "map/CMapView.h"

std::optional<TrackStores> WindowTrackStores() {
    CMapView* map = CMapView::Instance();
    CMyStatic* chart = CMyStatic::Instance();
    CSpeedStatic* dial = CSpeedStatic::Instance();
    if (map == nullptr || chart == nullptr || dial == nullptr) {
        return std::nullopt;
    }
    return TrackStores{map->m_store, chart->m_store, dial->m_model};
}

SnapshotFacts WindowSnapshotFacts(double offset) {
    const std::optional<TrackStores> stores = WindowTrackStores();
    return stores ? SnapshotFactsAt(*stores, offset) : SnapshotFacts{};
}
