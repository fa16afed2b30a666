#include "track/FixedDecimal.h"

#include <algorithm>
#include <charconv>

int WriteFixed(char* to, double value, int decimals) {
    // The largest double has 309 integer digits; 60 decimals is more than any caller asks.
    decimals = std::clamp(decimals, 0, 60);
    const std::to_chars_result written =
        std::to_chars(to, to + kFixedTextMax, value, std::chars_format::fixed, decimals);
    return written.ec == std::errc() ? static_cast<int>(written.ptr - to) : 0;
}

void AppendFixed(std::string& out, double value, int decimals) {
    char text[kFixedTextMax];
    out.append(text, static_cast<size_t>(WriteFixed(text, value, decimals)));
}

std::string FixedText(double value, int decimals) {
    std::string text;
    AppendFixed(text, value, decimals);
    return text;
}
