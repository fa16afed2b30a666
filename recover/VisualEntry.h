// The fields every video sample entry (avc1, hvc1) holds before its codec's configuration
// box, as a rebuilt index writes them.
#pragma once

#include <cstdint>

#include "recover/BoxWriter.h"

inline void WriteVisualEntryFields(BoxWriter& entry, uint32_t width, uint32_t height) {
    entry.Zeros(6);
    entry.U16(1); // data reference index
    entry.Zeros(16);
    entry.U16(static_cast<uint16_t>(width));
    entry.U16(static_cast<uint16_t>(height));
    entry.U32(0x00480000); // 72 dpi, both ways
    entry.U32(0x00480000);
    entry.U32(0);
    entry.U16(1); // frames per sample
    entry.Zeros(32);
    entry.U16(0x0018);
    entry.U16(0xFFFF);
}
