#include "track/FixedDecimal.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

namespace {

// glibc's printf is the reference the text must match character for character: the stores
// and exports wrote it before, and files already written hold it.
std::string Printed(double value, int decimals) {
    char text[512];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

TEST(FixedDecimal, WritesWhatPrintfWrites) {
    const double values[] = {0.0,
                             -0.0,
                             1.0,
                             -1.0,
                             0.125, // ties in binary: printf rounds them to even
                             0.375,
                             2.5,
                             -2.5,
                             59.329297,
                             -18.0686,
                             1e-7,
                             -4.9e-6,
                             123456789.123456789,
                             3.4e38,
                             1e300,
                             -1.7976931348623157e308,
                             std::numeric_limits<double>::denorm_min(),
                             std::numeric_limits<double>::infinity(),
                             -std::numeric_limits<double>::infinity(),
                             std::nan(""),
                             -std::nan("")};
    for (const double value : values) {
        for (const int decimals : {0, 1, 4, 5, 6, 15}) {
            EXPECT_EQ(FixedText(value, decimals), Printed(value, decimals))
                << value << " to " << decimals << " decimals";
        }
    }
}

TEST(FixedDecimal, AppendsAfterWhatIsThere) {
    std::string text = "lat=";
    AppendFixed(text, 59.5, 2);
    AppendFixed(text, -0.0005, 3);
    EXPECT_EQ(text, "lat=59.50-0.001");
}

} // namespace
