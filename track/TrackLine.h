// Track lines: the one text record per second of video that every track source produces,
// "T:<ms> X:<x> Y:<y> Z:<z> G:<g> <NMEA sentence>". These helpers build the three kinds
// of line the readers make and read the time field every consumer keys its store by.
#pragma once

#include <optional>
#include <string>
#include <string_view>

// The largest second any store accepts, about eleven days: far beyond any clip, and it
// keeps a damaged time field from making a store allocate without bound.
constexpr int kMaxTrackSecond = 999'999;

// The time in milliseconds of a line that begins with "T:" and a signed decimal integer.
// Anything else has no time; the stores ignore such lines rather than guess a second.
std::optional<long long> TrackLineTime(const char* line);

// The second of a line: its time divided by 1000, truncated toward zero, and a negative
// result taken as second 0 (a store has no seconds before the clip starts).
std::optional<int> TrackLineSecond(const char* line);

// True for "T:<t> $...": a sentence from a source that records no accelerations, such as
// a camera's NMEA text track. It is for the map store only; the chart leaves its second
// empty rather than draw zeros that would look like a level road.
bool IsSentenceOnlyTrackLine(const char* line);

// "T:<t> <line>" for a sidecar line that already carries the sensor fields ("X:...").
std::string SensorTrackLine(int timeMs, std::string_view sidecarLine);

// "T:<t> X:0.000000 Y:0.000000 Z:0.000000 G:0.000000 <sentence>" for a bare sentence.
std::string SentenceTrackLine(int timeMs, std::string_view sentence);

// "T:<t> X:%0.5f Y:%0.5f Z:%0.5f G:0.00000" for a block embedded in the clip; it has no
// sentence because the block's position goes straight into the map store.
std::string EmbeddedTrackLine(int timeMs, double x, double y, double z);
