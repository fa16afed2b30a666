// UTC date and time of a track entry, as seconds since 1970-01-01T00:00:00Z. The GPS
// sources give a calendar date and a time of day; the exports write ISO 8601 text.
#pragma once

#include <cstdint>
#include <limits>
#include <optional>
#include <string>

// An entry whose source gave no usable date and time.
constexpr int64_t kUnknownUtc = std::numeric_limits<int64_t>::min();

// Seconds since the epoch for a calendar date and time of day, or nothing when any part
// is out of range (month 13, 31 April, 29 February of a common year, hour 24, ...).
std::optional<int64_t> UtcSeconds(int year, int month, int day, int hour, int minute, int second);

// "YYYY-MM-DDThh:mm:ssZ", the form GPX and KML take.
std::string UtcText(int64_t seconds);
