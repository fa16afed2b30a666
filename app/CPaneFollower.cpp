#include "app/CPaneFollower.h"

#include "instruments/CMyStatic.h"
#include "instruments/CSpeedStatic.h"
#include "library/CPlaylistDlg.h"
#include "map/CMapView.h"

void CPaneFollower::FollowSecond(unsigned second) {
    if (CMyStatic* chart = CMyStatic::Instance()) {
        chart->AdvanceTo(second);
    }
    if (CMapView* map = CMapView::Instance()) {
        map->ShowSecond(static_cast<int>(second));
    }
    if (CPlaylistDlg* playlist = CPlaylistDlg::Instance()) {
        playlist->FollowClipSecond(second);
    }
    // The dial trails the chart and the map by one second.
    if (CSpeedStatic* dial = CSpeedStatic::Instance()) {
        dial->ShowSpeedAt(second == 0 ? 0 : static_cast<int>(second) - 1);
    }
}
