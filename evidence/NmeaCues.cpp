#include "evidence/NmeaCues.h"

#include "track/CMapTrackStore.h"
#include "track/UtcTime.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>

namespace {

// "ddmm.mmmmmm,N": six decimals of a minute keep the stored degrees to well below 1e-7, so
// the position read back is the one the clip gave.
std::string Coordinate(double degrees, int degreeDigits, char positive, char negative) {
    const double magnitude = std::fabs(degrees);
    int whole = static_cast<int>(magnitude);
    double minutes = (magnitude - whole) * 60.0;
    if (std::lround(minutes * 1e6) >= 60'000'000) {
        ++whole;
        minutes = 0;
    }
    char text[32];
    std::snprintf(text, sizeof text, "%0*d%09.6f,%c", degreeDigits, whole, minutes,
                  degrees < 0 ? negative : positive);
    return text;
}

} // namespace

std::string NmeaSentence(const std::string& body) {
    unsigned checksum = 0;
    for (const unsigned char byte : body) {
        checksum ^= byte;
    }
    char tail[4];
    std::snprintf(tail, sizeof tail, "*%02X", checksum);
    return "$" + body + tail;
}

std::string NmeaSentencesOf(const ExcerptSecond& second) {
    if (second.utc == kUnknownUtc) {
        return {};
    }
    const std::time_t when = static_cast<std::time_t>(second.utc);
    std::tm utc{};
    gmtime_r(&when, &utc);
    char time[16];
    char date[8];
    std::strftime(time, sizeof time, "%H%M%S.000", &utc);
    std::strftime(date, sizeof date, "%d%m%y", &utc);
    const std::string position = second.fix ? Coordinate(second.latitude, 2, 'N', 'S') + "," +
                                                  Coordinate(second.longitude, 3, 'E', 'W')
                                            : std::string(",,,");
    char motion[48] = ",";
    if (second.hasSpeed) {
        // Three decimals of a knot give the whole km/h back after the reader's conversion.
        std::snprintf(motion, sizeof motion, "%.3f,%d", second.kmh / kKilometresPerKnot,
                      second.heading);
    }
    const std::string rmc = std::string("GPRMC,") + time + "," + (second.fix ? "A" : "V") + "," +
                            position + "," + motion + "," + date + ",,," + (second.fix ? "A" : "N");
    const std::string gga = std::string("GPGGA,") + time + "," + position + "," +
                            (second.fix ? "1" : "0") + ",,,,M,,M,,";
    return NmeaSentence(rmc) + "\n" + NmeaSentence(gga) + "\n";
}

std::string SrtTime(double seconds) {
    const long long ms = std::llround(std::max(seconds, 0.0) * 1000);
    char text[32];
    std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld,%03lld", ms / 3'600'000,
                  ms / 60'000 % 60, ms / 1000 % 60, ms % 1000);
    return text;
}

std::string NmeaSrt(const std::vector<ExcerptSecond>& seconds) {
    std::string srt;
    int cue = 0;
    for (const ExcerptSecond& second : seconds) {
        const std::string sentences = NmeaSentencesOf(second);
        if (sentences.empty()) {
            continue;
        }
        srt += std::to_string(++cue) + "\n" + SrtTime(second.begin) + " --> " +
               SrtTime(second.end) + "\n" + sentences + "\n";
    }
    return srt;
}
