// Finds the channel sets of many clips at once (FindChannelClips, whose rules it follows):
// a card's folder is listed, and each of its clips' names read, once for all the clips
// asked about, rather than once per clip. Holds what it learnt for its own lifetime only,
// so a finder made for one batch sees the folders as they were then.
#pragma once

#include "track/CameraFileName.h"
#include "track/ChannelClips.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

class ChannelClipFinder {
public:
    // One clip file and what is known of its recording; the movie header and the file's
    // time are read only when a comparison needs them.
    struct Clip {
        std::string path;
        std::optional<CameraFileName> name; // the name alone, without its folder's channel
        char folderChannel = 0;

        bool headerRead = false;
        std::optional<int64_t> created; // the movie header's creation time, UTC
        double seconds = 0.0;           // 0 when not known
        std::optional<int64_t> fileTime;

        char Channel() const { return name && name->channel != 0 ? name->channel : folderChannel; }
    };

    ChannelSet Find(const std::string& path);

private:
    // The clip files of `folder`, sorted.
    const std::vector<std::filesystem::path>& Listing(const std::filesystem::path& folder);
    const std::vector<std::filesystem::path>& ChannelFoldersIn(const std::filesystem::path& folder);
    // The clip files beside `clip`, and those in the channel folders next to its own when
    // it lies in one; the clip itself left out.
    std::vector<std::filesystem::path> Neighbours(const std::filesystem::path& clip);
    Clip& Known(const std::filesystem::path& path);

    std::map<std::filesystem::path, std::vector<std::filesystem::path>> m_listings;
    std::map<std::filesystem::path, std::vector<std::filesystem::path>> m_channelFolders;
    std::map<std::filesystem::path, Clip> m_clips;
};
