// The ffmpeg command line of an excerpt. Stream copy cuts each piece at a key frame and
// keeps the camera's own pictures untouched; an overlay excerpt is re-encoded with libx264
// at preset "superfast", CRF 20 (visually close to a camera's own bit rate, and fast enough
// for 1080p30 in real time on two cores), the captions burnt in by libass and the other
// camera's picture in the top-right corner at a quarter of the width; the sound of a
// re-encoded excerpt of several pieces is left out, as the pieces need not all have sound.
// Both carry the NMEA text track as mov_text.
#pragma once

#include <string>
#include <vector>

#include "evidence/ExcerptRequest.h"
#include "evidence/ExcerptSeconds.h"

// The files the command reads and writes, all chosen by the job.
struct ExcerptFiles {
    std::string nmeaSrt;     // empty when no second of the excerpt has a dated fix
    std::string captionsAss; // overlay only
    std::string concatList;  // several pieces only
    std::string output;      // the temporary name the MP4 is written to
};

struct ExcerptCommand {
    std::vector<std::string> arguments; // without the program's name
    std::string concatList;             // the concat demuxer's script, when several pieces
};

// `spans` runs beside request.pieces: where each piece's picture starts and ends.
ExcerptCommand BuildExcerptCommand(const ExcerptRequest& request,
                                   const std::vector<ExcerptSpan>& spans,
                                   const ExcerptFiles& files);

// A path as a value inside a filter graph: escaped for the filter's option, then for the
// graph, the two levels ffmpeg parses.
std::string FilterGraphPath(const std::string& path);

// The progress value ffmpeg's "-progress" prints as out_time_us, in seconds; nothing for
// another line or a value not yet known ("N/A").
bool ProgressSeconds(const std::string& line, double& seconds);
