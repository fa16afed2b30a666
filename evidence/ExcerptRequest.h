// What the user asks to hand over: which stretch of which clips, and whether the picture
// carries the time, speed and place burnt in. The window and the export command fill it;
// the job and its plan only read it.
#pragma once

#include "track/ExcerptPiece.h"

#include <string>
#include <vector>

// Where the other camera's picture sits in the excerpt's: its left and top edges and its
// width as shares of the main picture's width and height. The top-right corner, a quarter
// wide, unless the window showed it elsewhere.
struct SmallPicture {
    double left = -1; // below 0: the top-right corner
    double top = 0;
    double width = 0.25;
};

struct ExcerptRequest {
    std::vector<ExcerptPiece> pieces; // in order; several when the excerpt spans clips of a drive
    bool overlay = false;             // re-encode with burnt-in date/time, speed, coordinates
    std::string text;                 // optional extra line burnt in (case number, watermark)
    bool kmh = true;                  // speed unit of the overlay (false: mile/h)
    // Another camera's clip of each piece, beside `pieces` (empty where that camera recorded
    // nothing of the piece): its picture goes in the excerpt's corner (overlay only).
    std::vector<std::string> beside;
    SmallPicture corner; // where that picture goes, as the window showed it
    std::string output;  // the .mp4; the GPX is written beside with the same name
};
