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
    // The dial shows the same second as the picture, the chart and the map: a speed read
    // off the screen is cited for the moment on it, not for the second before.
    if (CSpeedStatic* dial = CSpeedStatic::Instance()) {
        dial->ShowSpeedAt(static_cast<int>(second));
    }
}
