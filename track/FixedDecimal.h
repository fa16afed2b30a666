// Numbers as text with a fixed count of digits after the point, the same characters
// printf's "%.Nf" writes (nan, inf and -0 included), at a fraction of printf's cost: a
// clip's track is formatted and read back several times per second of video, and an
// export of hours formats millions of numbers.
#pragma once

#include <string>

// Writes at most kFixedTextMax characters, without a terminating zero, and returns how
// many. Digits beyond what fits are not written; no finite double needs that many.
constexpr int kFixedTextMax = 400;
int WriteFixed(char* to, double value, int decimals);

void AppendFixed(std::string& out, double value, int decimals);

std::string FixedText(double value, int decimals);
