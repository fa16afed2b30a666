// BlackVue cameras' track: NMEA text whose lines each begin with "[<unix ms>]" (a `gps `
// box in the clip, or NAME.gps beside it) and 10-byte G-sensor records (a `3gf ` box, or
// NAME.3gf). The boxes sit in `moov/udta` or in a top-level `free` box.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "track/ByteSource.h"
#include "track/ClipFolder.h"
#include "track/TrackStores.h"

struct BlackVueTrack {
    std::string gps;     // the NMEA text
    std::string threeGf; // the G-sensor records
};

// Calls `take` with the time stamp and the sentence of each line "[ms]$...", the first
// such stamp of the line wherever it sits in it.
void ForEachBlackVueSentence(
    std::string_view text,
    const std::function<void(long long ms, std::string_view sentence)>& take);

// Calls `take` for each big-endian record (u32 ms since the clip's start, i16 x, y, z) up
// to the end marker 0xFFFFFFFF or the last whole record.
void ForEachThreeGfRecord(std::string_view bytes,
                          const std::function<void(uint32_t ms, int x, int y, int z)>& take);

// Fills the map and dial from the RMC sentences, each at the second nearest its stamp's
// distance from the first line's stamp,
// and the chart from the first G-sensor record of each second, 128 counts being 1 g (the
// camera at rest reads about 128 on its vertical axis). True when a sentence had a fix.
bool FillBlackVueTrack(const BlackVueTrack& track, const TrackStores& stores);

// The boxes inside the clip; nothing when it has neither.
std::optional<BlackVueTrack> ReadBlackVueBoxes(ByteSource& source);

// NAME.gps and NAME.3gf beside the clip, whatever their letter case; nothing without them.
std::optional<BlackVueTrack> ReadBlackVueSidecars(const ClipFolder& folder);
