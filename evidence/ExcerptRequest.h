// What the user asks to hand over: which stretch of which clips, and whether the picture
// carries the time, speed and place burnt in. The window and the export command fill it;
// the job and its plan only read it.
#pragma once

#include "track/ExcerptPiece.h"

#include <string>
#include <vector>

struct ExcerptRequest {
    std::vector<ExcerptPiece> pieces; // in order; several when the excerpt spans clips of a drive
    bool overlay = false;             // re-encode with burnt-in date/time, speed, coordinates
    std::string text;                 // optional extra line burnt in (case number, watermark)
    bool kmh = true;                  // speed unit of the overlay (false: mile/h)
    std::vector<std::string> beside;  // other cameras' clips of the first piece (PiP, overlay only)
    std::string output;               // the .mp4; the GPX is written beside with the same name
};
