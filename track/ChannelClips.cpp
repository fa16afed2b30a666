#include "track/ChannelClips.h"

#include "track/ChannelClipFinder.h"

ChannelSet FindChannelClips(const std::string& path) {
    return ChannelClipFinder().Find(path);
}
