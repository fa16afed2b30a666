// Builds NMEA sentences with correct checksums for the tests.
#pragma once

#include <cstdio>
#include <string>

inline std::string Sentence(const std::string& body) {
    unsigned char sum = 0;
    for (char c : body) {
        sum ^= static_cast<unsigned char>(c);
    }
    char tail[8];
    std::snprintf(tail, sizeof tail, "*%02X", sum);
    return "$" + body + tail;
}

// An RMC sentence at ddmm.mmmm / dddmm.mmmm with speed in knots and course in degrees.
inline std::string Rmc(const std::string& latitude, char ns, const std::string& longitude, char ew,
                       const std::string& knots = "0.0", const std::string& course = "0.0",
                       char status = 'A') {
    return Sentence("GPRMC,120000.00," + std::string(1, status) + "," + latitude + "," +
                    std::string(1, ns) + "," + longitude + "," + std::string(1, ew) + "," + knots +
                    "," + course + ",071226,,,A");
}
