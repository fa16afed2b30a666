// The codecs a cut clip's video is recovered in, and how a message names each.
#pragma once

#include <string>

enum class VideoCodec { H264, H265 };

inline std::string CodecName(VideoCodec codec) {
    return codec == VideoCodec::H264 ? "H.264" : "H.265";
}
