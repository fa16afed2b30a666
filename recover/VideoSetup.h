// How the rebuilt index describes the video: the sample entry the decoder is set up from
// (avc1 with its avcC, or hvc1 with its hvcC), the picture size and the constant frame
// spacing, taken from a healthy clip of the same camera or made from the parameter sets
// inside the cut clip.
#pragma once

#include <cstdint>
#include <vector>

#include "recover/VideoCodec.h"

struct VideoSetup {
    VideoCodec codec = VideoCodec::H264;
    std::vector<unsigned char> sampleEntry; // the whole box, header included
    std::vector<unsigned char> sps;         // its first SPS, NAL header first
    std::vector<unsigned char> pps;         // its first PPS (H.265's slices need it)
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t timescale = 0;   // ticks per second
    uint32_t sampleDelta = 0; // ticks per frame
};
