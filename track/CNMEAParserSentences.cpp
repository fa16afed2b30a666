// The six sentence handlers and the field readers they share: how each known sentence's
// fields become the parser's kept values. The byte-level assembly is in CNMEAParser.cpp.
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

// hhmmss with any fraction as milliseconds of the day, or -1 when the field is not such a
// time. Unlike ReadTime this refuses what is no clock reading, since callers key seconds
// by it. A fraction counts to the millisecond; further digits are dropped. Six leading
// digits also set the clock members, just as ReadTime would.
template <typename Field>
int32_t TimeOfDayMs(const Field& field, uint8_t& hourOut, uint8_t& minuteOut, uint8_t& secondOut) {
    if (field.length < 6) {
        return -1;
    }
    int digits[6];
    for (int i = 0; i < 6; ++i) {
        digits[i] = field.text[i] - '0';
        if (static_cast<unsigned>(digits[i]) > 9) {
            return -1;
        }
    }
    const int hour = digits[0] * 10 + digits[1];
    const int minute = digits[2] * 10 + digits[3];
    const int second = digits[4] * 10 + digits[5];
    hourOut = static_cast<uint8_t>(hour);
    minuteOut = static_cast<uint8_t>(minute);
    secondOut = static_cast<uint8_t>(second);
    if (hour > 23 || minute > 59 || second > 59) {
        return -1;
    }
    int milliseconds = 0;
    if (field.length > 6) {
        if (field.text[6] != '.') {
            return -1;
        }
        int scale = 100;
        for (int i = 7; i < field.length; ++i) {
            if (!IsDigit(field.text[i])) {
                return -1;
            }
            milliseconds += (field.text[i] - '0') * scale;
            scale /= 10;
        }
    }
    return ((hour * 60 + minute) * 60 + second) * 1000 + milliseconds;
}

// ReadTime and TimeOfDayMs in one pass over the usual hhmmss form; ReadTime itself reads
// whatever else a field holds.
template <typename Field>
int32_t ReadTimeOfDay(const Field& field, uint8_t& hour, uint8_t& minute, uint8_t& second) {
    const int32_t milliseconds = TimeOfDayMs(field, hour, minute, second);
    if (milliseconds < 0) {
        ReadTime(field, hour, minute, second);
    }
    return milliseconds;
}

// The sentence carries two year digits. GPS began in 1980, and receivers without a fix
// report dates from 1980 on, so 80 to 99 are of that century and the rest of this one.
uint16_t YearOfTwoDigits(int year) {
    return static_cast<uint16_t>(year >= 80 && year <= 99 ? 1900 + year : 2000 + year);
}

// A ddmmyy date with a possible day and month, kept as the RMC handler keeps any date. The
// day's fit to its month is checked where the date is turned into a time. False, keeping
// nothing, for any other field, which the handler then reads as it always has.
template <typename Field>
bool ReadDate(const Field& field, uint8_t& dayOut, uint8_t& monthOut, uint16_t& yearOut) {
    if (field.length != 6) {
        return false;
    }
    int digits[6];
    for (int i = 0; i < 6; ++i) {
        digits[i] = field.text[i] - '0';
        if (static_cast<unsigned>(digits[i]) > 9) {
            return false;
        }
    }
    const int day = digits[0] * 10 + digits[1];
    const int month = digits[2] * 10 + digits[3];
    if (day < 1 || day > 31 || month < 1 || month > 12) {
        return false;
    }
    dayOut = static_cast<uint8_t>(day);
    monthOut = static_cast<uint8_t>(month);
    yearOut = YearOfTwoDigits(digits[4] * 10 + digits[5]);
    return true;
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

void CNMEAParser::SplitFields(const char* data, int count) {
    const char* p = data;
    int found = 0;
    while (found < count) {
        // Some receivers pad fields with blanks (" 5930.1234", "A "); the value is what
        // lies between them, as other NMEA readers take it.
        const char* start = p;
        while (*start == ' ') {
            ++start;
        }
        p = start;
        while (*p != ',' && *p != '*' && *p != '\0') {
            ++p;
        }
        const char* end = p;
        while (end != start && end[-1] == ' ') {
            --end;
        }
        m_fields[found++] = {
            start, static_cast<int>(std::min<std::ptrdiff_t>(end - start, kFieldSize - 1))};
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
    m_nGGATimeOfDayMs = ReadTimeOfDay(m_fields[0], m_btGGAHour, m_btGGAMinute, m_btGGASecond);
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
    m_nRMCTimeOfDayMs = ReadTimeOfDay(m_fields[0], m_btRMCHour, m_btRMCMinute, m_btRMCSecond);
    // An empty status must not leave an old 'A' standing: callers trust the position
    // only while the status says the fix is valid.
    m_RMCStatus = CharField(m_fields[1], 'V');
    ReadCoordinate(m_fields[2], m_fields[3], 2, 'S', m_dRMCLatitude);
    ReadCoordinate(m_fields[4], m_fields[5], 3, 'W', m_dRMCLongitude);
    m_dRMCGroundSpeed = DoubleField(m_fields[6], 0.0);
    m_dRMCCourse = DoubleField(m_fields[7], 0.0);
    m_bRMCDateGiven = ReadDate(m_fields[8], m_btRMCDay, m_btRMCMonth, m_wRMCYear);
    if (!m_bRMCDateGiven && m_fields[8].length > 0) {
        m_btRMCDay = static_cast<uint8_t>(PairAt(m_fields[8], 0));
        m_btRMCMonth = static_cast<uint8_t>(PairAt(m_fields[8], 2));
        m_wRMCYear = YearOfTwoDigits(PairAt(m_fields[8], 4));
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
