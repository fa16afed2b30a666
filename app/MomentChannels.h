// The other cameras' clips of the moment of the clip the video pane opens, as the pane
// composes them: the open clip keeps the clock and the sound, and every other clip of its
// set, the front one among them when a rear clip was opened, is shown with it.
#pragma once

#include "playback/CChannelPictures.h"

#include <QString>

ChannelMoment MomentChannels(const QString& clip);
