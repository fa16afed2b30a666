#include "app/CPaneFollower.h"

#include "instruments/CMyStatic.h"
#include "instruments/CSpeedStatic.h"
#include "library/CPlaylistDlg.h"
#include "map/CMapView.h"

void CPaneFollower::FollowSecond(unsigned second) {
    m_chart->AdvanceTo(second);
    m_map->ShowSecond(static_cast<int>(second));
    m_playlist->FollowClipSecond(second);
    // The dial shows the same second as the picture, the chart and the map: a speed read
    // off the screen is cited for the moment on it, not for the second before.
    m_dial->ShowSpeedAt(static_cast<int>(second));
}
