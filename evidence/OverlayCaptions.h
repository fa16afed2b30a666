// The captions burnt into a re-encoded excerpt, as an ASS script for libass (ffmpeg's `ass`
// filter): each second's local date and time with its UTC offset, speed in the chosen unit
// and coordinates at the bottom left, and the user's own line (a case number, a watermark)
// at the bottom right for the whole excerpt.
#pragma once

#include <string>
#include <vector>

#include "evidence/ExcerptSeconds.h"

// The caption of one second: lines joined by ASS's "\N"; empty when the second has nothing
// known to show.
std::string CaptionOf(const ExcerptSecond& second, bool kmh);

// The whole script for an excerpt of `length` seconds.
std::string OverlayAss(const std::vector<ExcerptSecond>& seconds, bool kmh, const std::string& text,
                       double length);

// ASS reads "{...}" as style codes and "\" as an escape; a user's text is shown as typed,
// so braces are escaped as libass reads them, a backslash is kept from escaping, and line ends
// become spaces.
std::string AssPlainText(const std::string& text);
