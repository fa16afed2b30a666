// The WCAG 2.1 contrast ratio of two colours, from their relative luminance in sRGB: 1 : 1
// for the same colour, 21 : 1 for black on white; AA asks 4.5 : 1 of body text.
#pragma once

#include <QColor>

#include <algorithm>
#include <cmath>

inline double RelativeLuminance(const QColor& colour) {
    const auto linear = [](double channel) {
        return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) +
           0.0722 * linear(colour.blueF());
}

inline double ContrastRatio(const QColor& a, const QColor& b) {
    const double la = RelativeLuminance(a);
    const double lb = RelativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}
