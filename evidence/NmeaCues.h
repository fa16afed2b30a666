// The excerpt's track as a text track of NMEA: one cue per second holding that second's
// RMC and GGA sentences, as dash cameras of the NMEA kind write it, so our own reader,
// and the tools of whoever receives the excerpt, find the track inside the MP4 itself.
#pragma once

#include <string>
#include <vector>

#include "evidence/ExcerptSeconds.h"

// "$<body>*<checksum>", the checksum the XOR of the body's bytes in two hex digits.
std::string NmeaSentence(const std::string& body);

// The RMC and GGA sentences of one second, each ended by a line end; nothing for a second whose
// source gave no date and time, since NMEA places every sentence by its own time.
std::string NmeaSentencesOf(const ExcerptSecond& second);

// SRT text (ffmpeg makes mov_text of it) with a cue per second that has sentences.
std::string NmeaSrt(const std::vector<ExcerptSecond>& seconds);

// "hh:mm:ss,mmm", SRT's time of a cue.
std::string SrtTime(double seconds);
