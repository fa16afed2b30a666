// What follows the second the video pane shows: in the window, the G-sensor chart, the map
// and the speed dial. The pane tells it on every tick, seek and frame step; the wiring root
// hands in the one that reaches the window's panes, so the pane knows none of them.
#pragma once

class IPlayFollower {
public:
    virtual ~IPlayFollower() = default;
    virtual void FollowSecond(unsigned second) = 0;
};
