// Boxes every track of a rebuilt index writes alike: the identity matrix of the movie and
// track headers, and the data reference that says the samples are in this file.
#pragma once

#include <cstdint>

#include "recover/BoxWriter.h"

// The movie's own clock; each track keeps its setup's.
constexpr uint32_t kMovieTimescale = 1000;

inline void WriteMatrix(BoxWriter& box) {
    const uint32_t identity[9] = {0x10000, 0, 0, 0, 0x10000, 0, 0, 0, 0x40000000};
    for (uint32_t value : identity) {
        box.U32(value);
    }
}

inline void WriteDataHere(BoxWriter& box) {
    box.Open("dinf");
    box.OpenFull("dref", 0, 0);
    box.U32(1);
    box.OpenFull("url ", 0, 1); // the data is in this file
    box.Close();
    box.Close();
    box.Close();
}
