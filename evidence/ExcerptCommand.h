// The ffmpeg command line of an excerpt. Stream copy cuts each piece at a key frame and
// keeps the camera's own pictures untouched. An overlay excerpt is re-encoded with libx264
// at preset "ultrafast", CRF 20: the picture stays visually as the camera made it (number
// plates stay legible) at the cost of a larger file, and needing half the CPU of
// "superfast" it keeps 1080p30 above real time on two cores even while other work shares
// them (2.4x measured so, where "superfast" managed 0.5-0.7x). The captions are burnt in by
// libass, and each piece's other camera goes where the window showed it (the top-right
// corner at a quarter of the width by default). Across pieces the sound goes on, each
// piece without sound giving silence of its length.
// Both kinds carry the NMEA text track as mov_text.
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
