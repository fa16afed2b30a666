// What an MPEG-4 AudioSpecificConfig (ISO/IEC 14496-3) says of the AAC frames it sets up: the
// audio object type, the core sampling rate and samples per frame, and the channels.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

struct AudioConfig {
    uint32_t objectType = 0; // the core's (AAC LC is 2), under SBR or PS signalled explicitly
    uint32_t coreRate = 0;   // samples per second of the AAC core
    uint32_t frameSamples = 1024;
    uint32_t channels = 0; // 0 when a program config element in the stream says
};

// The configuration, or nothing when it is not one of raw AAC frames (the error-resilient
// and other object types frame their data otherwise) or cannot be read.
std::optional<AudioConfig> ReadAudioConfig(std::span<const unsigned char> config);
