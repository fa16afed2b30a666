#include "track/CNMEAParser.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <system_error>

namespace {

// Every handler reads a field through a buffer of this size, so a field keeps at most
// 24 characters; longer ones are cut, which no standard NMEA field needs.
constexpr int kFieldSize = 25;
static_assert(kFieldSize <= CNMEAParser::kWaypointSize, "waypoints are read in place");

enum AssemblyState : int32_t {
    kSeekStart = 0,
    kAddress = 1,
    kData = 2,
    kChecksumHigh = 3,
    kChecksumLow = 4,
};

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// from_chars refuses what atof and atoi accept before the digits: white space and a
// single '+'. Skipping those gives the numbers atof and atoi would give, without their
// dependence on the C locale's decimal point.
const char* SkipNumberPrefix(const char* first, const char* last) {
    while (first != last && IsSpace(*first)) {
        ++first;
    }
    if (last - first >= 2 && first[0] == '+' && first[1] != '+' && first[1] != '-') {
        ++first;
    }
    return first;
}

// Text that does not start with a number, and a number out of range, give 0.
template <typename Number> Number NumberAt(const char* first, const char* last) {
    first = SkipNumberPrefix(first, last);
    Number value{};
    const auto result = std::from_chars(first, last, value);
    return result.ec == std::errc() ? value : Number{};
}

double ToDouble(const char* text) {
    return NumberAt<double>(text, text + std::strlen(text));
}

int ToInt(const char* text) {
    return NumberAt<int>(text, text + std::strlen(text));
}

// The integer in `count` characters from `start`, read no further than the field's end;
// characters beyond the end add nothing, so a pair with none left gives 0.
int IntInSpan(const char* field, size_t start, size_t count) {
    const size_t length = std::strlen(field);
    if (start >= length) {
        return 0;
    }
    return NumberAt<int>(field + start, field + std::min(start + count, length));
}

// ddmm.mmmm for a latitude (two degree digits), dddmm.mmmm for a longitude (three).
double Coordinate(const char* field, size_t degreeDigits) {
    const size_t length = std::strlen(field);
    const double minutes =
        length > degreeDigits ? NumberAt<double>(field + degreeDigits, field + length) : 0.0;
    return minutes / 60.0 + IntInSpan(field, 0, degreeDigits);
}

char CharField(const char* data, int fieldNumber, char empty) {
    char field[kFieldSize];
    return CNMEAParser::GetField(data, field, fieldNumber, kFieldSize) ? field[0] : empty;
}

double DoubleField(const char* data, int fieldNumber, double empty) {
    char field[kFieldSize];
    return CNMEAParser::GetField(data, field, fieldNumber, kFieldSize) ? ToDouble(field) : empty;
}

int IntField(const char* data, int fieldNumber, int empty) {
    char field[kFieldSize];
    return CNMEAParser::GetField(data, field, fieldNumber, kFieldSize) ? ToInt(field) : empty;
}

void ReadTime(const char* data, int fieldNumber, uint8_t& hour, uint8_t& minute, uint8_t& second) {
    char field[kFieldSize];
    if (CNMEAParser::GetField(data, field, fieldNumber, kFieldSize)) {
        hour = static_cast<uint8_t>(IntInSpan(field, 0, 2));
        minute = static_cast<uint8_t>(IntInSpan(field, 2, 2));
        second = static_cast<uint8_t>(IntInSpan(field, 4, 2));
    }
}

// The hemisphere letter is applied even when the value field is empty, so it negates the
// value kept from an earlier sentence. A receiver that loses its fix sends empty fields,
// and the last known position is worth more to the map than 0,0.
void ReadCoordinate(const char* data, int fieldNumber, size_t degreeDigits, char negative,
                    double& value) {
    char field[kFieldSize];
    if (CNMEAParser::GetField(data, field, fieldNumber, kFieldSize)) {
        value = Coordinate(field, degreeDigits);
    }
    if (CNMEAParser::GetField(data, field, fieldNumber + 1, kFieldSize) && field[0] == negative) {
        value = -value;
    }
}

// A hex digit as the checksum rule reads it: anything whose distance from '0' is at most 9
// counts as a decimal digit, bytes below '0' included. Nothing is rejected as a non-digit:
// a damaged digit simply gives a value that almost never matches the running checksum.
int ChecksumDigit(unsigned char byte) {
    const int value = byte - '0';
    return value <= 9 ? value : byte - 55;
}

} // namespace

CNMEAParser::CNMEAParser()
    : m_nState(kSeekStart), m_btChecksum(0), m_btReceivedChecksum(0),
      m_wIndex(0), m_szAddress{}, m_szData{}, m_dwCommandCount(0) {
    Reset();
}

int CNMEAParser::ParseBuffer(const unsigned char* bytes, unsigned count) {
    if (bytes != nullptr) {
        for (unsigned i = 0; i < count; ++i) {
            ProcessByte(bytes[i]);
        }
    }
    return 1;
}

int CNMEAParser::ParseBuffer(const char* bytes, unsigned count) {
    return ParseBuffer(reinterpret_cast<const unsigned char*>(bytes), count);
}

void CNMEAParser::ProcessByte(unsigned char byte) {
    switch (m_nState) {
    case kSeekStart:
        if (byte == '$') {
            m_btChecksum = 0;
            m_wIndex = 0;
            m_nState = kAddress;
        }
        break;

    case kAddress:
        m_btChecksum ^= byte;
        if (byte == ',' || byte == '*') {
            m_szAddress[m_wIndex] = '\0';
            m_wIndex = 0;
            m_nState = kData;
        } else {
            m_szAddress[m_wIndex++] = static_cast<char>(byte);
            if (m_wIndex >= kAddressSize) {
                m_nState = kSeekStart;
            }
        }
        break;

    case kData:
        if (byte == '*') {
            m_szData[m_wIndex] = '\0';
            m_nState = kChecksumHigh;
        } else if (byte == '\r') {
            // Logs without checksums are common from cheap receivers, so a sentence
            // ended by the line end alone is taken on trust.
            m_szData[m_wIndex] = '\0';
            ProcessSentence(m_szAddress, m_szData);
            m_nState = kSeekStart;
        } else {
            m_btChecksum ^= byte;
            m_szData[m_wIndex++] = static_cast<char>(byte);
            if (m_wIndex >= kDataSize) {
                m_nState = kSeekStart;
            }
        }
        break;

    case kChecksumHigh:
        m_btReceivedChecksum =
            static_cast<uint8_t>(static_cast<unsigned>(ChecksumDigit(byte)) << 4);
        m_nState = kChecksumLow;
        break;

    case kChecksumLow:
        m_btReceivedChecksum |= static_cast<uint8_t>(ChecksumDigit(byte));
        if (m_btReceivedChecksum == m_btChecksum) {
            ProcessSentence(m_szAddress, m_szData);
        }
        m_nState = kSeekStart;
        break;

    default:
        m_nState = kSeekStart;
        break;
    }
}

int CNMEAParser::ProcessSentence(const char* address, const char* data) {
    if (data == nullptr) {
        data = "";
    }
    // A missing address names no known sentence, so it is only counted.
    if (address == nullptr) {
        address = "";
    }
    if (std::strcmp(address, "GPGGA") == 0) {
        ProcessGPGGA(data);
    } else if (std::strcmp(address, "GPGSA") == 0) {
        ProcessGPGSA(data);
    } else if (std::strcmp(address, "GPGSV") == 0) {
        ProcessGPGSV(data);
    } else if (std::strcmp(address, "GPRMB") == 0) {
        ProcessGPRMB(data);
    } else if (std::strcmp(address, "GPRMC") == 0) {
        ProcessGPRMC(data);
    } else if (std::strcmp(address, "GPZDA") == 0) {
        ProcessGPZDA(data);
    }
    ++m_dwCommandCount;
    return 1;
}

bool CNMEAParser::GetField(const char* data, char* dest, int fieldNumber, int destSize) {
    if (data == nullptr || dest == nullptr || destSize <= 0) {
        return false;
    }
    dest[0] = '\0';
    if (fieldNumber < 0) {
        return false;
    }
    const char* p = data;
    for (int passed = 0; passed < fieldNumber; ++p) {
        if (*p == '\0') {
            return false;
        }
        if (*p == ',') {
            ++passed;
        }
    }
    // A field at the very end of the data is as empty as one between two commas, so the
    // handlers give it the same default.
    if (*p == ',' || *p == '*' || *p == '\0') {
        return false;
    }
    int length = 0;
    while (length < destSize - 1 && *p != '\0' && *p != ',' && *p != '*') {
        dest[length++] = *p++;
    }
    dest[length] = '\0';
    return true;
}

bool CNMEAParser::IsSatelliteUsed(uint16_t satellite) const {
    if (satellite == 0) {
        return false;
    }
    return std::find(m_wGSASatsInSolution, m_wGSASatsInSolution + kGSASatelliteFields, satellite) !=
           m_wGSASatsInSolution + kGSASatelliteFields;
}

void CNMEAParser::Reset() {
    m_btGGAHour = m_btGGAMinute = m_btGGASecond = 0;
    m_dGGALatitude = m_dGGALongitude = 0.0;
    m_btGGAGPSQuality = 0;
    m_btGGANumOfSatsInUse = 0;
    m_dGGAHDOP = m_dGGAAltitude = 0.0;
    m_dwGGACount = 0;
    m_nGGAOldVSpeedSeconds = 0;
    m_dGGAOldVSpeedAlt = 0.0;
    m_dGGAVertSpeed = 0.0;

    m_GSAMode = 'M';
    m_btGSAFixMode = 1;
    std::fill(std::begin(m_wGSASatsInSolution), std::end(m_wGSASatsInSolution), uint16_t{0});
    m_dGSAPDOP = m_dGSAHDOP = m_dGSAVDOP = 0.0;
    m_dwGSACount = 0;

    m_wGSVTotalNumSatsInView = 0;
    std::fill(std::begin(m_GSVSatInfo), std::end(m_GSVSatInfo), SatelliteInfo{});
    m_dwGSVCount = 0;

    m_RMBDataStatus = 'V';
    m_dRMBCrosstrackError = 0.0;
    m_RMBDirectionToSteer = '?';
    std::fill(std::begin(m_szRMBOriginWaypoint), std::end(m_szRMBOriginWaypoint), '\0');
    std::fill(std::begin(m_szRMBDestWaypoint), std::end(m_szRMBDestWaypoint), '\0');
    m_dRMBDestLatitude = m_dRMBDestLongitude = 0.0;
    m_dRMBRangeToDest = m_dRMBBearingToDest = m_dRMBDestClosingVelocity = 0.0;
    m_RMBArrivalStatus = 'V';
    m_dwRMBCount = 0;

    m_btRMCHour = m_btRMCMinute = m_btRMCSecond = 0;
    m_RMCStatus = 'V';
    m_dRMCLatitude = m_dRMCLongitude = 0.0;
    m_dRMCGroundSpeed = m_dRMCCourse = 0.0;
    m_btRMCDay = m_btRMCMonth = 1;
    m_wRMCYear = 2000;
    m_dRMCMagVar = 0.0;
    m_dwRMCCount = 0;

    m_btZDAHour = m_btZDAMinute = m_btZDASecond = 0;
    m_btZDADay = m_btZDAMonth = 1;
    m_wZDAYear = 2000;
    m_cZDALocalZoneHour = 0;
    m_btZDALocalZoneMinute = 0;
    m_dwZDACount = 0;
}

void CNMEAParser::ProcessGPGGA(const char* data) {
    char field[kFieldSize];
    ReadTime(data, 0, m_btGGAHour, m_btGGAMinute, m_btGGASecond);
    ReadCoordinate(data, 1, 2, 'S', m_dGGALatitude);
    ReadCoordinate(data, 3, 3, 'W', m_dGGALongitude);
    if (GetField(data, field, 5, kFieldSize)) {
        m_btGGAGPSQuality = static_cast<uint8_t>(field[0] - '0');
    }
    if (GetField(data, field, 6, kFieldSize)) {
        m_btGGANumOfSatsInUse = static_cast<uint8_t>(IntInSpan(field, 0, 2));
    }
    m_dGGAHDOP = DoubleField(data, 7, m_dGGAHDOP);
    m_dGGAAltitude = DoubleField(data, 8, m_dGGAAltitude);

    // The hour is left out, so the first fix of a new hour looks older than the last one
    // and keeps the previous speed instead of dividing across the wrap.
    const int32_t seconds = m_btGGAMinute * 60 + m_btGGASecond;
    if (seconds > m_nGGAOldVSpeedSeconds) {
        const double minutes = static_cast<double>(m_nGGAOldVSpeedSeconds - seconds) / 60.0;
        if (minutes != 0.0) {
            m_dGGAVertSpeed = (m_dGGAOldVSpeedAlt - m_dGGAAltitude) / minutes;
        }
    }
    m_dGGAOldVSpeedAlt = m_dGGAAltitude;
    m_nGGAOldVSpeedSeconds = seconds;
    ++m_dwGGACount;
}

void CNMEAParser::ProcessGPGSA(const char* data) {
    char field[kFieldSize];
    m_GSAMode = CharField(data, 0, m_GSAMode);
    if (GetField(data, field, 1, kFieldSize)) {
        m_btGSAFixMode = static_cast<uint8_t>(field[0] - '0');
    }
    for (int i = 0; i < kGSASatelliteFields; ++i) {
        m_wGSASatsInSolution[i] = GetField(data, field, 2 + i, kFieldSize)
                                      ? static_cast<uint16_t>(IntInSpan(field, 0, 2))
                                      : uint16_t{0};
    }
    m_dGSAPDOP = DoubleField(data, 14, 0.0);
    m_dGSAHDOP = DoubleField(data, 15, 0.0);
    m_dGSAVDOP = DoubleField(data, 16, 0.0);
    ++m_dwGSACount;
}

void CNMEAParser::ProcessGPGSV(const char* data) {
    char field[kFieldSize];
    // The table holds nine messages of four satellites; anything claiming more, or not
    // saying which message it is, cannot be placed and is dropped whole.
    if (!GetField(data, field, 0, kFieldSize)) {
        return;
    }
    const int total = ToInt(field);
    if (total < 1 || total > 8) {
        return;
    }
    if (!GetField(data, field, 1, kFieldSize)) {
        return;
    }
    const int message = ToInt(field);
    if (message < 1 || message > 9) {
        return;
    }
    if (GetField(data, field, 2, kFieldSize)) {
        m_wGSVTotalNumSatsInView = static_cast<uint16_t>(ToInt(field));
    }
    for (int k = 0; k < 4; ++k) {
        SatelliteInfo& satellite = m_GSVSatInfo[(message - 1) * 4 + k];
        satellite.wPRN = static_cast<uint16_t>(IntField(data, 3 + 4 * k, 0));
        satellite.wElevation = static_cast<uint16_t>(IntField(data, 4 + 4 * k, 0));
        satellite.wAzimuth = static_cast<uint16_t>(IntField(data, 5 + 4 * k, 0));
        satellite.wSignalQuality = static_cast<uint16_t>(IntField(data, 6 + 4 * k, 0));
        satellite.bUsedInSolution = IsSatelliteUsed(satellite.wPRN) ? 1 : 0;
    }
    ++m_dwGSVCount;
}

void CNMEAParser::ProcessGPRMB(const char* data) {
    m_RMBDataStatus = CharField(data, 0, 'V');
    m_dRMBCrosstrackError = DoubleField(data, 1, 0.0);
    m_RMBDirectionToSteer = CharField(data, 2, '?');
    GetField(data, m_szRMBOriginWaypoint, 3, kFieldSize);
    GetField(data, m_szRMBDestWaypoint, 4, kFieldSize);
    ReadCoordinate(data, 5, 2, 'S', m_dRMBDestLatitude);
    ReadCoordinate(data, 7, 3, 'W', m_dRMBDestLongitude);
    m_dRMBRangeToDest = DoubleField(data, 9, 0.0);
    m_dRMBBearingToDest = DoubleField(data, 10, 0.0);
    m_dRMBDestClosingVelocity = DoubleField(data, 11, 0.0);
    m_RMBArrivalStatus = CharField(data, 12, 'V');
    ++m_dwRMBCount;
}

void CNMEAParser::ProcessGPRMC(const char* data) {
    char field[kFieldSize];
    ReadTime(data, 0, m_btRMCHour, m_btRMCMinute, m_btRMCSecond);
    // An empty status must not leave an old 'A' standing: callers trust the position
    // only while the status says the fix is valid.
    m_RMCStatus = CharField(data, 1, 'V');
    ReadCoordinate(data, 2, 2, 'S', m_dRMCLatitude);
    ReadCoordinate(data, 4, 3, 'W', m_dRMCLongitude);
    m_dRMCGroundSpeed = DoubleField(data, 6, 0.0);
    m_dRMCCourse = DoubleField(data, 7, 0.0);
    if (GetField(data, field, 8, kFieldSize)) {
        m_btRMCDay = static_cast<uint8_t>(IntInSpan(field, 0, 2));
        m_btRMCMonth = static_cast<uint8_t>(IntInSpan(field, 2, 2));
        // The sentence carries two year digits; the recordings are all from this century.
        m_wRMCYear = static_cast<uint16_t>(IntInSpan(field, 4, 2) + 2000);
    }
    m_dRMCMagVar = DoubleField(data, 9, 0.0);
    if (GetField(data, field, 10, kFieldSize) && field[0] == 'W') {
        m_dRMCMagVar = -m_dRMCMagVar;
    }
    ++m_dwRMCCount;
}

void CNMEAParser::ProcessGPZDA(const char* data) {
    ReadTime(data, 0, m_btZDAHour, m_btZDAMinute, m_btZDASecond);
    m_btZDADay = static_cast<uint8_t>(IntField(data, 1, 1));
    m_btZDAMonth = static_cast<uint8_t>(IntField(data, 2, 1));
    // An empty year gives 1 like an empty day or month, not the 2000 a fresh parser holds.
    m_wZDAYear = static_cast<uint16_t>(IntField(data, 3, 1));
    m_cZDALocalZoneHour = static_cast<int8_t>(IntField(data, 4, 0));
    m_btZDALocalZoneMinute = static_cast<uint8_t>(IntField(data, 5, 0));
    ++m_dwZDACount;
}
