// The window's panes following the video pane's second: the chart, the map and the dial at
// the second shown, and the playlist told of it for the drive it plays.
#pragma once

class CMapView;
class CMyStatic;
class CPlaylistDlg;
class CSpeedStatic;

class CPaneFollower {
public:
    CPaneFollower(CMyStatic* chart, CMapView* map, CPlaylistDlg* playlist, CSpeedStatic* dial)
        : m_chart(chart), m_map(map), m_playlist(playlist), m_dial(dial) {}

    void FollowSecond(unsigned second);

private:
    CMyStatic* m_chart;
    CMapView* m_map;
    CPlaylistDlg* m_playlist;
    CSpeedStatic* m_dial;
};
