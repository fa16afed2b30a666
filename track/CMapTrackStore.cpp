#include "track/CMapTrackStore.h"

#include "track/CNMEAParser.h"
#include "track/CSpeedDialModel.h"
#include "track/TrackLine.h"
#include "track/Truncate.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string_view>

namespace {

// A coordinate that prints as zero is what a receiver without a position writes.
bool PrintsAsZero(const std::string& text) {
    size_t start = (!text.empty() && text[0] == '-') ? 1 : 0;
    return text.find_first_not_of("0.", start) == std::string::npos;
}

std::string MarkerText(double value) {
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, "%5.15f", value);
    return buffer;
}

constexpr int kSecondsPerDay = 86400;

// The second of a log time, counted from the log's first time: a log that runs past
// midnight goes on counting. A time more than half a day behind the start (by the same
// count, half a day or more ahead) is a damaged clock, not a place in the log; taking it
// would put one entry a day away and grow the store by as much.
std::optional<int> LogSecond(int32_t firstMs, int32_t timeMs) {
    const int elapsed =
        ((timeMs / 1000 - firstMs / 1000) % kSecondsPerDay + kSecondsPerDay) % kSecondsPerDay;
    if (elapsed >= kSecondsPerDay / 2) {
        return std::nullopt;
    }
    return elapsed;
}

// The UTC time of the parser's latest RMC, when that sentence gave both date and time.
int64_t RmcUtcTime(const CNMEAParser& parser) {
    if (parser.m_dwRMCCount == 0 || !parser.m_bRMCDateGiven || parser.m_nRMCTimeOfDayMs < 0) {
        return kUnknownUtc;
    }
    const int seconds = parser.m_nRMCTimeOfDayMs / 1000;
    return UtcSeconds(parser.m_wRMCYear, parser.m_btRMCMonth, parser.m_btRMCDay, seconds / 3600,
                      seconds / 60 % 60, seconds % 60)
        .value_or(kUnknownUtc);
}

} // namespace

int DialSpeedFromKnots(double knots) {
    return TruncateToInt(std::round(knots * kKilometresPerKnot * 100.0) / 100.0);
}

void CMapTrackStore::Clear() {
    m_latitudes.clear();
    m_longitudes.clear();
    m_fixStatus.clear();
    m_utcTimes.clear();
    m_nLastShown = -1;
}

void CMapTrackStore::PutEntry(int second, double latitude, double longitude, char fix,
                              int64_t utcTime) {
    if (second < 0 || second > kMaxTrackSecond) {
        return;
    }
    const auto at = static_cast<size_t>(second);
    if (at >= m_fixStatus.size()) {
        m_latitudes.resize(at + 1, 0.0);
        m_longitudes.resize(at + 1, 0.0);
        m_fixStatus.resize(at + 1, 'V');
        m_utcTimes.resize(at + 1, kUnknownUtc);
    }
    m_latitudes[at] = latitude;
    m_longitudes[at] = longitude;
    m_fixStatus[at] = fix;
    m_utcTimes[at] = utcTime;
}

int CMapTrackStore::StoreTrackLine(const char* line) {
    if (line == nullptr) {
        return 0;
    }
    std::optional<int> second = TrackLineSecond(line);
    if (!second || *second > kMaxTrackSecond) {
        return 0;
    }
    const char* sentence = std::strchr(line, '$');
    if (sentence == nullptr) {
        return 0;
    }
    CNMEAParser parser;
    parser.ParseBuffer(reinterpret_cast<const unsigned char*>(sentence),
                       static_cast<unsigned>(std::strlen(sentence)));
    PutEntry(*second, parser.m_dRMCLatitude, parser.m_dRMCLongitude, parser.m_RMCStatus,
             RmcUtcTime(parser));
    if (m_pDial != nullptr) {
        m_pDial->SetSpeedRecord(*second, DialSpeedFromKnots(parser.m_dRMCGroundSpeed),
                                TruncateToInt(parser.m_dRMCCourse));
    }
    return 1;
}

bool CMapTrackStore::LoadNmeaLog(const std::string& path) {
    Clear();
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return false;
    }
    const std::string text((std::istreambuf_iterator<char>(file)),
                           std::istreambuf_iterator<char>());
    // In a log whose sentences carry checksums, one without is a line cut short: its last
    // field is a fragment, and taken on trust it would be a wrong position.
    const bool checksummed = text.find('*') != std::string::npos;

    CNMEAParser parser;
    std::optional<int32_t> firstMs;
    bool anyFix = false;
    size_t sentenceStart = std::string::npos;
    for (size_t i = 0; i < text.size(); ++i) {
        const char byte = text[i];
        if (byte == '$') {
            sentenceStart = i;
            continue;
        }
        if ((byte != '\r' && byte != '\n') || sentenceStart == std::string::npos) {
            continue;
        }
        const std::string_view sentence(text.data() + sentenceStart, i - sentenceStart);
        sentenceStart = std::string::npos;
        if (checksummed && sentence.find('*') == std::string_view::npos) {
            continue;
        }
        // Every line end closes the sentence, so logs written with bare line feeds load
        // too; the parser is handed a carriage return, the end it knows.
        const uint32_t rmcBefore = parser.m_dwRMCCount;
        const uint32_t ggaBefore = parser.m_dwGGACount;
        parser.ParseBuffer(sentence.data(), static_cast<unsigned>(sentence.size()));
        const unsigned char cr = '\r';
        parser.ParseBuffer(&cr, 1);
        const bool rmc = parser.m_dwRMCCount != rmcBefore;
        const int32_t timeMs = rmc                                ? parser.m_nRMCTimeOfDayMs
                               : parser.m_dwGGACount != ggaBefore ? parser.m_nGGATimeOfDayMs
                                                                  : -1;
        if (timeMs < 0) {
            continue;
        }
        if (!firstMs) {
            firstMs = timeMs;
        }
        const std::optional<int> second = rmc ? LogSecond(*firstMs, timeMs) : std::nullopt;
        if (!second) {
            continue;
        }
        // A receiver writing several fixes a second gives the second the first valid one,
        // the position at the moment the second begins.
        const auto at = static_cast<size_t>(*second);
        if (at < size() && m_fixStatus[at] == 'A') {
            continue;
        }
        PutEntry(*second, parser.m_dRMCLatitude, parser.m_dRMCLongitude, parser.m_RMCStatus,
                 RmcUtcTime(parser));
        anyFix = anyFix || parser.m_RMCStatus == 'A';
    }
    return anyFix;
}

bool CMapTrackStore::HasPosition(int second) const {
    if (second < 0 || static_cast<size_t>(second) >= size()) {
        return false;
    }
    const auto at = static_cast<size_t>(second);
    if (m_fixStatus[at] != 'A') {
        return false;
    }
    // A position off the globe is a damaged record, not a place to show.
    if (!(std::fabs(m_latitudes[at]) <= 90.0) || !(std::fabs(m_longitudes[at]) <= 180.0)) {
        return false;
    }
    return !PrintsAsZero(MarkerText(m_latitudes[at])) &&
           !PrintsAsZero(MarkerText(m_longitudes[at]));
}

std::optional<MarkerTexts> CMapTrackStore::ShowSecond(int second) {
    if (!HasPosition(second)) {
        return std::nullopt;
    }
    m_nLastShown = second;
    const auto at = static_cast<size_t>(second);
    const std::string latitude = MarkerText(m_latitudes[at]);
    const std::string longitude = MarkerText(m_longitudes[at]);
    return MarkerTexts{latitude, longitude, latitude, longitude};
}
