#include "track/CNMEAParser.h"

#include <algorithm>
#include <charconv>
#include <cstddef>
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

bool IsDigit(char c) {
    return static_cast<unsigned>(c - '0') <= 9;
}

// from_chars refuses what atof and atoi accept before the digits: white space and a
// single '+'. Skipping those gives the numbers atof and atoi would give, without their
// dependence on the C locale's decimal point.
const char* SkipNumberPrefix(const char* first, const char* last) {
    // Nearly every field starts with its first digit, and then there is nothing to skip.
    if (first != last && IsDigit(*first)) {
        return first;
    }
    while (first != last && IsSpace(*first)) {
        ++first;
    }
    if (last - first >= 2 && first[0] == '+' && first[1] != '+' && first[1] != '-') {
        ++first;
    }
    return first;
}

// Text that does not start with a number, and a number out of range, give 0.
template <typename Number> Number FromChars(const char* first, const char* last) {
    Number value{};
    const auto result = std::from_chars(first, last, value);
    return result.ec == std::errc() ? value : Number{};
}

// Nine digits cannot overflow an int, so those are summed here; longer runs go to
// from_chars, which knows where the range ends.
int IntInText(const char* first, const char* last) {
    first = SkipNumberPrefix(first, last);
    const char* p = first;
    const bool negative = p != last && *p == '-';
    if (negative) {
        ++p;
    }
    const char* const digits = p;
    int value = 0;
    while (p != last && p - digits < 9 && IsDigit(*p)) {
        value = value * 10 + (*p - '0');
        ++p;
    }
    if (p != last && IsDigit(*p)) {
        return FromChars<int>(first, last);
    }
    return negative ? -value : value;
}

// Most integers are two or three plain digits (clock pairs, satellite numbers, angles);
// those are read inline without the loop.
inline int IntAt(const char* first, const char* last) {
    const auto length = last - first;
    if (length == 2 && IsDigit(first[0]) && IsDigit(first[1])) {
        return (first[0] - '0') * 10 + (first[1] - '0');
    }
    if (length == 3 && IsDigit(first[0]) && IsDigit(first[1]) && IsDigit(first[2])) {
        return (first[0] - '0') * 100 + (first[1] - '0') * 10 + (first[2] - '0');
    }
    return IntInText(first, last);
}

// Positions and speeds are short decimals: up to 15 digits make an integer a double holds
// exactly, and dividing it by an exact power of ten rounds once, just as from_chars rounds
// the decimal. Anything else (exponents, more digits, a bare '.', inf, nan) goes to
// from_chars itself.
constexpr double kPowersOfTen[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                   1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
constexpr int kExactDigits = 15;

double DoubleAt(const char* first, const char* last) {
    first = SkipNumberPrefix(first, last);
    const char* p = first;
    const bool negative = p != last && *p == '-';
    if (negative) {
        ++p;
    }
    uint64_t mantissa = 0;
    int digits = 0;
    while (p != last && IsDigit(*p)) {
        mantissa = mantissa * 10 + static_cast<unsigned>(*p - '0');
        ++p;
        ++digits;
    }
    int fractionDigits = 0;
    if (digits > 0 && p != last && *p == '.') {
        ++p;
        while (p != last && IsDigit(*p)) {
            mantissa = mantissa * 10 + static_cast<unsigned>(*p - '0');
            ++p;
            ++fractionDigits;
        }
        if (fractionDigits == 0) {
            return FromChars<double>(first, last);
        }
    }
    digits += fractionDigits;
    if (digits == 0 || digits > kExactDigits || (p != last && (*p == 'e' || *p == 'E'))) {
        return FromChars<double>(first, last);
    }
    const double value = static_cast<double>(mantissa) / kPowersOfTen[fractionDigits];
    return negative ? -value : value;
}

// The integer in `count` characters from `start`, read no further than the field's end;
// characters beyond the end add nothing, so a pair with none left gives 0.
int IntInSpan(const char* field, int length, int start, int count) {
    if (start >= length) {
        return 0;
    }
    return IntAt(field + start, field + std::min(start + count, length));
}

// ddmm.mmmm for a latitude (two degree digits), dddmm.mmmm for a longitude (three).
double Coordinate(const char* field, int length, int degreeDigits) {
    const double minutes =
        length > degreeDigits ? DoubleAt(field + degreeDigits, field + length) : 0.0;
    return minutes / 60.0 + IntInSpan(field, length, 0, degreeDigits);
}

// Whether any of the eight bytes of `word` is `byte`. XOR leaves a zero byte exactly where
// they are equal, and the usual zero-byte test is non-zero exactly when there is one.
bool HasByte(uint64_t word, unsigned char byte) {
    constexpr uint64_t kOnes = 0x0101010101010101u;
    constexpr uint64_t kHighBits = 0x8080808080808080u;
    const uint64_t x = word ^ (kOnes * byte);
    return ((x - kOnes) & ~x & kHighBits) != 0;
}

// A hex digit as the checksum rule reads it: anything whose distance from '0' is at most 9
// counts as a decimal digit, bytes below '0' included. Nothing is rejected as a non-digit:
// a damaged digit simply gives a value that almost never matches the running checksum.
int ChecksumDigit(unsigned char byte) {
    const int value = byte - '0';
    return value <= 9 ? value : byte - 55;
}

// The readers below take a field found by SplitFields. It is a template only because the
// field type is private to the parser.
template <typename Field> char CharField(const Field& field, char empty) {
    return field.length > 0 ? field.text[0] : empty;
}

template <typename Field> double DoubleField(const Field& field, double empty) {
    return field.length > 0 ? DoubleAt(field.text, field.text + field.length) : empty;
}

template <typename Field> int IntField(const Field& field, int empty) {
    return field.length > 0 ? IntAt(field.text, field.text + field.length) : empty;
}

template <typename Field> int PairAt(const Field& field, int start) {
    return IntInSpan(field.text, field.length, start, 2);
}

template <typename Field>
void ReadTime(const Field& field, uint8_t& hour, uint8_t& minute, uint8_t& second) {
    if (field.length > 0) {
        hour = static_cast<uint8_t>(PairAt(field, 0));
        minute = static_cast<uint8_t>(PairAt(field, 2));
        second = static_cast<uint8_t>(PairAt(field, 4));
    }
}

// The hemisphere letter is applied even when the value field is empty, so it negates the
// value kept from an earlier sentence. A receiver that loses its fix sends empty fields,
// and the last known position is worth more to the map than 0,0.
template <typename Field>
void ReadCoordinate(const Field& value, const Field& hemisphere, int degreeDigits, char negative,
                    double& coordinate) {
    if (value.length > 0) {
        coordinate = Coordinate(value.text, value.length, degreeDigits);
    }
    if (hemisphere.length > 0 && hemisphere.text[0] == negative) {
        coordinate = -coordinate;
    }
}

// As GetField fills a buffer of kFieldSize: the text and its terminator, nothing more, so
// bytes past the terminator keep what they held. memmove, because a caller may hand in
// data that lives in the destination itself.
template <typename Field> void CopyField(const Field& field, char* dest) {
    std::memmove(dest, field.text, static_cast<size_t>(field.length));
    dest[field.length] = '\0';
}

} // namespace

CNMEAParser::CNMEAParser()
    : m_nState(kSeekStart), m_btChecksum(0), m_btReceivedChecksum(0),
      m_wIndex(0), m_szAddress{}, m_szData{}, m_dwCommandCount(0), m_fields{} {
    Reset();
}

int CNMEAParser::ParseBuffer(const unsigned char* bytes, unsigned count) {
    if (bytes == nullptr) {
        return 1;
    }
    // The two states most bytes arrive in are handled here a run at a time: the gap before
    // a '$', and the data up to its '*' or line end. The rest go through ProcessByte, which
    // stays the one definition of what every byte does.
    const unsigned char* p = bytes;
    const unsigned char* const end = bytes + count;
    while (p != end) {
        if (m_nState == kSeekStart) {
            const void* start = std::memchr(p, '$', static_cast<size_t>(end - p));
            if (start == nullptr) {
                break;
            }
            p = static_cast<const unsigned char*>(start);
        } else if (m_nState == kData && m_wIndex < kDataSize) {
            unsigned index = m_wIndex;
            uint8_t checksum = m_btChecksum;
            const unsigned room = static_cast<unsigned>(kDataSize) - index;
            const unsigned char* const stop =
                static_cast<unsigned>(end - p) > room ? p + room : end;
            // Eight bytes at a time while none of them ends the data; the checksum of the
            // words is folded to a byte afterwards, which XOR allows in any order.
            uint64_t wordChecksum = 0;
            while (stop - p >= 8) {
                uint64_t word;
                std::memcpy(&word, p, sizeof word);
                if (HasByte(word, '*') || HasByte(word, '\r')) {
                    break;
                }
                std::memcpy(m_szData + index, &word, sizeof word);
                wordChecksum ^= word;
                index += 8;
                p += 8;
            }
            wordChecksum ^= wordChecksum >> 32;
            wordChecksum ^= wordChecksum >> 16;
            wordChecksum ^= wordChecksum >> 8;
            checksum ^= static_cast<uint8_t>(wordChecksum);
            while (p != stop && *p != '*' && *p != '\r') {
                checksum ^= *p;
                m_szData[index++] = static_cast<char>(*p++);
            }
            m_btChecksum = checksum;
            m_wIndex = static_cast<uint16_t>(index);
            if (index >= static_cast<unsigned>(kDataSize)) {
                m_nState = kSeekStart;
                continue;
            }
            if (p == end) {
                break;
            }
        }
        ProcessByte(*p++);
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
    // Character by character, each test reached only when the ones before it matched, so
    // nothing past a shorter address's terminator is read.
    if (address[0] == 'G' && address[1] == 'P' && address[2] != '\0' && address[3] != '\0' &&
        address[4] != '\0' && address[5] == '\0') {
        const char a = address[2], b = address[3], c = address[4];
        if (a == 'G' && b == 'G' && c == 'A') {
            ProcessGPGGA(data);
        } else if (a == 'G' && b == 'S' && c == 'A') {
            ProcessGPGSA(data);
        } else if (a == 'G' && b == 'S' && c == 'V') {
            ProcessGPGSV(data);
        } else if (a == 'R' && b == 'M' && c == 'B') {
            ProcessGPRMB(data);
        } else if (a == 'R' && b == 'M' && c == 'C') {
            ProcessGPRMC(data);
        } else if (a == 'Z' && b == 'D' && c == 'A') {
            ProcessGPZDA(data);
        }
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

void CNMEAParser::SplitFields(const char* data, int count) {
    const char* p = data;
    int found = 0;
    while (found < count) {
        const char* const start = p;
        while (*p != ',' && *p != '*' && *p != '\0') {
            ++p;
        }
        m_fields[found++] = {start,
                             static_cast<int>(std::min<std::ptrdiff_t>(p - start, kFieldSize - 1))};
        // A '*' ends a field's text, but only a comma starts the next field.
        while (*p != ',' && *p != '\0') {
            ++p;
        }
        if (*p == '\0') {
            break;
        }
        ++p;
    }
    for (; found < count; ++found) {
        m_fields[found] = {data, 0};
    }
}

void CNMEAParser::ProcessGPGGA(const char* data) {
    SplitFields(data, 9);
    ReadTime(m_fields[0], m_btGGAHour, m_btGGAMinute, m_btGGASecond);
    ReadCoordinate(m_fields[1], m_fields[2], 2, 'S', m_dGGALatitude);
    ReadCoordinate(m_fields[3], m_fields[4], 3, 'W', m_dGGALongitude);
    if (m_fields[5].length > 0) {
        m_btGGAGPSQuality = static_cast<uint8_t>(m_fields[5].text[0] - '0');
    }
    if (m_fields[6].length > 0) {
        m_btGGANumOfSatsInUse = static_cast<uint8_t>(PairAt(m_fields[6], 0));
    }
    m_dGGAHDOP = DoubleField(m_fields[7], m_dGGAHDOP);
    m_dGGAAltitude = DoubleField(m_fields[8], m_dGGAAltitude);

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
    SplitFields(data, 17);
    m_GSAMode = CharField(m_fields[0], m_GSAMode);
    if (m_fields[1].length > 0) {
        m_btGSAFixMode = static_cast<uint8_t>(m_fields[1].text[0] - '0');
    }
    for (int i = 0; i < kGSASatelliteFields; ++i) {
        const FieldText& field = m_fields[2 + i];
        m_wGSASatsInSolution[i] =
            field.length > 0 ? static_cast<uint16_t>(PairAt(field, 0)) : uint16_t{0};
    }
    m_dGSAPDOP = DoubleField(m_fields[14], 0.0);
    m_dGSAHDOP = DoubleField(m_fields[15], 0.0);
    m_dGSAVDOP = DoubleField(m_fields[16], 0.0);
    ++m_dwGSACount;
}

void CNMEAParser::ProcessGPGSV(const char* data) {
    SplitFields(data, 19);
    // The table holds nine messages of four satellites; anything claiming more, or not
    // saying which message it is, cannot be placed and is dropped whole.
    if (m_fields[0].length == 0) {
        return;
    }
    const int total = IntField(m_fields[0], 0);
    if (total < 1 || total > 8) {
        return;
    }
    if (m_fields[1].length == 0) {
        return;
    }
    const int message = IntField(m_fields[1], 0);
    if (message < 1 || message > 9) {
        return;
    }
    if (m_fields[2].length > 0) {
        m_wGSVTotalNumSatsInView = static_cast<uint16_t>(IntField(m_fields[2], 0));
    }
    for (int k = 0; k < 4; ++k) {
        SatelliteInfo& satellite = m_GSVSatInfo[(message - 1) * 4 + k];
        satellite.wPRN = static_cast<uint16_t>(IntField(m_fields[3 + 4 * k], 0));
        satellite.wElevation = static_cast<uint16_t>(IntField(m_fields[4 + 4 * k], 0));
        satellite.wAzimuth = static_cast<uint16_t>(IntField(m_fields[5 + 4 * k], 0));
        satellite.wSignalQuality = static_cast<uint16_t>(IntField(m_fields[6 + 4 * k], 0));
        satellite.bUsedInSolution = IsSatelliteUsed(satellite.wPRN) ? 1 : 0;
    }
    ++m_dwGSVCount;
}

void CNMEAParser::ProcessGPRMB(const char* data) {
    SplitFields(data, 13);
    m_RMBDataStatus = CharField(m_fields[0], 'V');
    m_dRMBCrosstrackError = DoubleField(m_fields[1], 0.0);
    m_RMBDirectionToSteer = CharField(m_fields[2], '?');
    CopyField(m_fields[3], m_szRMBOriginWaypoint);
    CopyField(m_fields[4], m_szRMBDestWaypoint);
    ReadCoordinate(m_fields[5], m_fields[6], 2, 'S', m_dRMBDestLatitude);
    ReadCoordinate(m_fields[7], m_fields[8], 3, 'W', m_dRMBDestLongitude);
    m_dRMBRangeToDest = DoubleField(m_fields[9], 0.0);
    m_dRMBBearingToDest = DoubleField(m_fields[10], 0.0);
    m_dRMBDestClosingVelocity = DoubleField(m_fields[11], 0.0);
    m_RMBArrivalStatus = CharField(m_fields[12], 'V');
    ++m_dwRMBCount;
}

void CNMEAParser::ProcessGPRMC(const char* data) {
    SplitFields(data, 11);
    ReadTime(m_fields[0], m_btRMCHour, m_btRMCMinute, m_btRMCSecond);
    // An empty status must not leave an old 'A' standing: callers trust the position
    // only while the status says the fix is valid.
    m_RMCStatus = CharField(m_fields[1], 'V');
    ReadCoordinate(m_fields[2], m_fields[3], 2, 'S', m_dRMCLatitude);
    ReadCoordinate(m_fields[4], m_fields[5], 3, 'W', m_dRMCLongitude);
    m_dRMCGroundSpeed = DoubleField(m_fields[6], 0.0);
    m_dRMCCourse = DoubleField(m_fields[7], 0.0);
    if (m_fields[8].length > 0) {
        m_btRMCDay = static_cast<uint8_t>(PairAt(m_fields[8], 0));
        m_btRMCMonth = static_cast<uint8_t>(PairAt(m_fields[8], 2));
        // The sentence carries two year digits; the recordings are all from this century.
        m_wRMCYear = static_cast<uint16_t>(PairAt(m_fields[8], 4) + 2000);
    }
    m_dRMCMagVar = DoubleField(m_fields[9], 0.0);
    if (CharField(m_fields[10], '\0') == 'W') {
        m_dRMCMagVar = -m_dRMCMagVar;
    }
    ++m_dwRMCCount;
}

void CNMEAParser::ProcessGPZDA(const char* data) {
    SplitFields(data, 6);
    ReadTime(m_fields[0], m_btZDAHour, m_btZDAMinute, m_btZDASecond);
    m_btZDADay = static_cast<uint8_t>(IntField(m_fields[1], 1));
    m_btZDAMonth = static_cast<uint8_t>(IntField(m_fields[2], 1));
    // An empty year gives 1 like an empty day or month, not the 2000 a fresh parser holds.
    m_wZDAYear = static_cast<uint16_t>(IntField(m_fields[3], 1));
    m_cZDALocalZoneHour = static_cast<int8_t>(IntField(m_fields[4], 0));
    m_btZDALocalZoneMinute = static_cast<uint8_t>(IntField(m_fields[5], 0));
    ++m_dwZDACount;
}
