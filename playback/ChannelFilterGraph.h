// The libavfilter graph that composes a clip's cameras into one picture inside the engine.
// One graph fed by one demuxer clock is what keeps the channels in step: every frame out
// is made of the frames of the same instant, whatever the speed, seek or frame step.
//
// The canvas always grows out of the first channel's frames, so the composed picture
// carries that clip's timestamps and ends when it ends, whichever channel is shown big.
// Every other cell is first painted as a quiet placeholder that names its camera, and the
// channel's picture is laid over it; where that channel has no frame (it starts later, ends
// sooner, or could not be opened), the overlay passes the placeholder through instead of
// waiting, so the main picture never stops for another camera.
#pragma once

#include "playback/ChannelLayout.h"

#include <string>
#include <vector>

struct ChannelInput {
    int track = 0;            // the engine's video track of the channel; 0 when it has none
    double offsetSeconds = 0; // when its first frame was recorded, after the first channel's
    std::string name;         // the camera, for its placeholder: "Rear", "Interior", ...
};

struct ChannelGraphOptions {
    int audioTrack = 0;          // the first channel's sound; 0 when it has none
    bool placeholderText = true; // false draws the placeholder without its words
};

// The graph for `inputs` (the first is the clip that keeps the time) laid out on `canvas`.
std::string ChannelFilterGraph(const ChannelCanvas& canvas, const std::vector<ChannelInput>& inputs,
                               const ChannelGraphOptions& options);
