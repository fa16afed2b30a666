// The other cameras of a drive played as one timeline: each camera's clips joined into one,
// each clip's part as long as the main clip's, so that every picture crosses into the next
// moment together.
#pragma once

#include "playback/CChannelPictures.h"

#include <vector>

// Whether the moments of a drive's clips (one a clip, in order) have the same cameras in the
// same order, each with a clip in every moment and starting as far after the main clip in
// each. Only then can each camera be joined into one; else the drive's clips open alone.
bool DriveCamerasLineUp(const std::vector<ChannelMoment>& moments);

// The drive's cameras with each camera's clips joined, `lengths` being the main clips'.
ChannelMoment JoinDriveChannels(const std::vector<ChannelMoment>& moments,
                                const std::vector<double>& lengths);
