// A receiver's worth of NMEA text for the benchmarks: per second a GGA, a GSA, three GSV
// and an RMC sentence, with correct checksums, as a real log has them.
#pragma once

#include "../tests/track/NmeaText.h"

#include <cstdio>
#include <string>

inline std::string NmeaSentence(const std::string& body) {
    return Sentence(body) + "\r\n";
}

inline std::string NmeaLog(int seconds) {
    std::string log;
    char body[160];
    for (int s = 0; s < seconds; ++s) {
        const int hh = 10 + s / 3600 % 10, mm = s / 60 % 60, ss = s % 60;
        const double minutes = 19.5 + s * 0.0001;
        std::snprintf(body, sizeof body,
                      "GPGGA,%02d%02d%02d.00,5919.%04d,N,01803.%04d,E,1,09,0.9,%d.5,M,23.1,M,,", hh,
                      mm, ss, s % 10000, (s * 3) % 10000, 20 + s % 30);
        log += NmeaSentence(body);
        log += NmeaSentence("GPGSA,A,3,04,05,09,12,24,25,29,31,,,,,1.8,0.9,1.5");
        for (int m = 1; m <= 3; ++m) {
            std::snprintf(
                body, sizeof body,
                "GPGSV,3,%d,11,%02d,45,120,38,%02d,30,210,41,%02d,12,300,25,%02d,67,045,44", m,
                m * 4, m * 4 + 1, m * 4 + 2, m * 4 + 3);
            log += NmeaSentence(body);
        }
        std::snprintf(body, sizeof body,
                      "GPRMC,%02d%02d%02d.00,A,5919.%04d,N,01803.%04d,E,%.1f,%.1f,071226,5.2,E,A",
                      hh, mm, ss, s % 10000, (s * 3) % 10000, minutes, (s * 7) % 360 + 0.5);
        log += NmeaSentence(body);
    }
    return log;
}
