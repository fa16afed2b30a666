// Conversions from floating point to int that truncate toward zero like a C cast, but stay
// defined for values a damaged file can hold: NaN gives 0, out-of-range values saturate.
#pragma once

#include <cmath>
#include <limits>

inline int TruncateToInt(double value) {
    if (std::isnan(value)) {
        return 0;
    }
    if (value >= static_cast<double>(std::numeric_limits<int>::max())) {
        return std::numeric_limits<int>::max();
    }
    if (value <= static_cast<double>(std::numeric_limits<int>::min())) {
        return std::numeric_limits<int>::min();
    }
    return static_cast<int>(value);
}
