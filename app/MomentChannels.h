// The other cameras' clips of the moment of the clip the video pane opens, as the pane
// composes them: the open clip keeps the clock and the sound, and every other clip of its
// set, the front one among them when a rear clip was opened, is shown with it. In a drive,
// a camera that recorded the moments before or after but none of this one keeps its place
// as a placeholder, so the pictures do not jump about from clip to clip.
#pragma once

#include "playback/CChannelPictures.h"

#include <QString>

#include <cstddef>

struct Drive;

// `drive` is the drive the clip is part of (null for none), `index` its place there.
ChannelMoment MomentChannels(const QString& clip, const Drive* drive, size_t index);
