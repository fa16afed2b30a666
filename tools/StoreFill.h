// Fills a fleet store (a GeoPackage or a PostGIS database, as a ClipStore) with clips: those
// it holds already are skipped, the others read on every core a batch at a time and each
// batch written in one transaction.
#pragma once

#include "gpkg/ClipStore.h"

#include <cstddef>
#include <string>
#include <vector>

struct StoreFillCounts {
    size_t added = 0;
    size_t held = 0;
    size_t failures = 0; // clips that could not be read, each said on standard error
};

// Writes `clips` (in path order) into `store`, `batch` clips a transaction. False when a
// batch could not be written (said on standard error): that batch is rolled back whole and
// the run stops there.
bool FillStore(ClipStore& store, const std::vector<std::string>& clips, size_t batch,
               StoreFillCounts& counts);
