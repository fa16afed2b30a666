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

// An RMC sentence of the time hhmmss[.ss] at ddmm.mmmm / dddmm.mmmm with speed in knots and
// course in degrees, dated 7 December 2026.
inline std::string RmcAt(const std::string& time, const std::string& latitude, char ns,
                         const std::string& longitude, char ew, const std::string& knots = "0.0",
                         const std::string& course = "0.0", char status = 'A') {
    return Sentence("GPRMC," + time + "," + std::string(1, status) + "," + latitude + "," +
                    std::string(1, ns) + "," + longitude + "," + std::string(1, ew) + "," + knots +
                    "," + course + ",071226,,,A");
}

// The same at 12:00:00.
inline std::string Rmc(const std::string& latitude, char ns, const std::string& longitude, char ew,
                       const std::string& knots = "0.0", const std::string& course = "0.0",
                       char status = 'A') {
    return RmcAt("120000.00", latitude, ns, longitude, ew, knots, course, status);
}

// A GGA sentence of the time hhmmss[.ss] with a fix at the given position.
inline std::string GgaAt(const std::string& time, const std::string& latitude = "5930.0000",
                         const std::string& longitude = "01800.0000") {
    return Sentence("GPGGA," + time + "," + latitude + ",N," + longitude +
                    ",E,1,08,0.9,10.0,M,,,,");
}
