// How the rebuilt index describes the sound: the template's AAC sample entry (mp4a with its
// esds) copied as it is, the AudioSpecificConfig inside it that a decoder is set up from, and
// the track's clock. An AAC frame holds a fixed number of samples, so its duration follows
// from the configuration and never has to be guessed.
#pragma once

#include <cstdint>
#include <vector>

struct SoundSetup {
    std::vector<unsigned char> sampleEntry; // the whole box, header included
    std::vector<unsigned char> config;      // the AudioSpecificConfig
    uint32_t timescale = 0;                 // ticks per second
    uint32_t frameDuration = 0;             // ticks per AAC frame
    uint32_t channels = 0;                  // 0 when the configuration leaves it to the stream
    // The template's edit list starts the sound this many ticks into its first frame: the
    // encoder's priming, which the same camera puts before every clip's sound.
    uint64_t delay = 0;
};
