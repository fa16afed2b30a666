// The window's panes as the video pane's follower: the chart and the map at the second
// shown, the dial a second behind them. Each pane is the one of the process, when there is
// one.
#pragma once

#include "playback/IPlayFollower.h"

class CPaneFollower : public IPlayFollower {
public:
    void FollowSecond(unsigned second) override;
};
