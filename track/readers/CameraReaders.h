// The table of camera families, in the order they are tried: readers of the clip's own
// bytes first, those whose look at the clip is exact before the freeGPS scan that searches
// all of it, then the readers of files beside the clip. The loader takes the first reader
// that finds its data. A new family is one reader file, one row here, one fuzz corpus
// and one line of the README's camera table.
#pragma once

#include <span>

#include "track/readers/CameraReader.h"

std::span<const CameraReader* const> CameraReaders();
