#include "track/CMapTrackStore.h"

#include "track/CNMEAParser.h"
#include "track/CSpeedDialModel.h"
#include "track/FixedDecimal.h"
#include "track/LogText.h"
#include "track/NmeaLogSeconds.h"
#include "track/RegularFileRead.h"
#include "track/SidecarLog.h"
#include "track/TrackLine.h"
#include "track/Truncate.h"

#include <cmath>
#include <cstring>
#include <string_view>

namespace {

// A coordinate that prints as zero is what a receiver without a position writes.
bool PrintsAsZero(const std::string& text) {
    size_t start = (!text.empty() && text[0] == '-') ? 1 : 0;
    return text.find_first_not_of("0.", start) == std::string::npos;
}

// As "%5.15f" prints it: the width never matters with 15 decimals.
std::string MarkerText(double value) {
    return FixedText(value, 15);
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
    if (second < 0 || second > m_nLastSecond) {
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
    if (!second || *second > m_nLastSecond) {
        return 0;
    }
    const char* sentence = std::strchr(line, '$');
    if (sentence == nullptr) {
        return 0;
    }
    CNMEAParser parser;
    parser.ParseBuffer(reinterpret_cast<const unsigned char*>(sentence),
                       static_cast<unsigned>(std::strlen(sentence)));
    // A cue of NMEA text brings its RMC and its GGA as two lines of the same second. The
    // second, checked sentence of another kind holds no RMC values; taken, it would wipe
    // the second's fix and speed.
    const bool otherKind = parser.m_dwCommandCount > 0 && parser.m_dwRMCCount == 0;
    if (otherKind && static_cast<size_t>(*second) < size()) {
        return 0;
    }
    // A sentence still open at the line's end (no "*hh", a line cut short) was never
    // handed over: it says nothing of the second, so a good entry there must stay.
    if (parser.m_dwCommandCount == 0 && parser.m_nState != 0) {
        return 0;
    }
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
    const std::optional<std::string> read = ReadRegularFile(path, kMaxNmeaTextBytes);
    return read && LoadNmeaText(*read);
}

bool CMapTrackStore::LoadNmeaText(const std::string& bytes) {
    Clear();
    const std::string text = LogText(bytes);
    // In a log whose sentences carry checksums, one without is a line cut short: its last
    // field is a fragment, and taken on trust it would be a wrong position.
    NmeaLogSeconds seconds(NmeaLogSeconds::IsChecksummed(text), m_nLastSecond);
    bool anyFix = false;
    seconds.Feed(text, [&](int second, const CNMEAParser& parser) {
        if (second > m_nLastSecond) {
            return;
        }
        PutEntry(second, parser.m_dRMCLatitude, parser.m_dRMCLongitude, parser.m_RMCStatus,
                 RmcUtcTime(parser));
        // The log's own speed and course, so that a clip with nothing but a log still moves
        // the dial; lines of the sidecar read later for the same second replace them.
        if (m_pDial != nullptr) {
            m_pDial->SetSpeedRecord(second, DialSpeedFromKnots(parser.m_dRMCGroundSpeed),
                                    TruncateToInt(parser.m_dRMCCourse));
        }
        anyFix = anyFix || parser.m_RMCStatus == 'A';
    });
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
