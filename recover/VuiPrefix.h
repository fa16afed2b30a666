// The start of the video usability information, alike in H.264 and H.265 parameter sets: the
// aspect ratio, overscan, signal type and chroma location, each behind its presence flag.
#pragma once

#include "recover/BitReader.h"

// Reads past those fields, leaving `bits` where the two codecs part.
inline void SkipVuiPrefix(BitReader& bits) {
    if (bits.Bits(1) == 1 && bits.Bits(8) == 255) {
        bits.Bits(32); // sample aspect ratio, width and height
    }
    if (bits.Bits(1) == 1) {
        bits.Bits(1); // overscan
    }
    if (bits.Bits(1) == 1) {
        bits.Bits(4); // video format, full range
        if (bits.Bits(1) == 1) {
            bits.Bits(24); // colour primaries, transfer, matrix
        }
    }
    if (bits.Bits(1) == 1) {
        bits.Ue(); // chroma sample locations
        bits.Ue();
    }
}
