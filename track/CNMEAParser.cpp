#include "track/CNMEAParser.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace {

enum AssemblyState : int32_t {
    kSeekStart = 0,
    kAddress = 1,
    kData = 2,
    kChecksumHigh = 3,
    kChecksumLow = 4,
};

// Whether any of the eight bytes of `word` is `byte`. XOR leaves a zero byte exactly where
// they are equal, and the usual zero-byte test is non-zero exactly when there is one.
bool HasByte(uint64_t word, unsigned char byte) {
    constexpr uint64_t kOnes = 0x0101010101010101u;
    constexpr uint64_t kHighBits = 0x8080808080808080u;
    const uint64_t x = word ^ (kOnes * byte);
    return ((x - kOnes) & ~x & kHighBits) != 0;
}

// A '$' or a line end where a checksum digit belongs means the digits are missing (a bare
// '*', one digit, a line cut short). Taken as a digit, the next sentence's '$' would be
// one too, and that sentence would be lost with the damaged one.
bool BreaksSentence(unsigned char byte) {
    return byte == '$' || byte == '\r' || byte == '\n';
}

// A hex digit as the checksum rule reads it: anything whose distance from '0' is at most 9
// counts as a decimal digit, bytes below '0' included. Receivers write the letters in
// either case, and other NMEA readers take both, so 'a' to 'f' count as their capitals.
// Nothing is rejected as a non-digit: a damaged digit simply gives a value that almost
// never matches the running checksum.
int ChecksumDigit(unsigned char byte) {
    const int value = byte - '0';
    if (value <= 9) {
        return value;
    }
    return (byte >= 'a' && byte <= 'f') ? byte - 'a' + 10 : byte - 55;
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
        if (BreaksSentence(byte)) {
            AbandonAt(byte);
            break;
        }
        m_btReceivedChecksum =
            static_cast<uint8_t>(static_cast<unsigned>(ChecksumDigit(byte)) << 4);
        m_nState = kChecksumLow;
        break;

    case kChecksumLow:
        if (BreaksSentence(byte)) {
            AbandonAt(byte);
            break;
        }
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

void CNMEAParser::AbandonAt(unsigned char byte) {
    m_nState = kSeekStart;
    if (byte == '$') {
        ProcessByte(byte);
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
    //
    // Receivers that use more satellite systems than GPS name their sentences with another
    // talker: GN for a fix from several systems, GL, GA, GB or BD, GQ for one. Their time,
    // position and waypoint sentences read the same as GPS's. The satellite tables (GSA,
    // GSV) stay GPS's own: another system's satellites would take its slots.
    const char t0 = address[0];
    const char t1 = t0 == '\0' ? '\0' : address[1];
    const bool gps = t0 == 'G' && t1 == 'P';
    const bool otherSystem =
        (t0 == 'G' && (t1 == 'N' || t1 == 'L' || t1 == 'A' || t1 == 'B' || t1 == 'Q')) ||
        (t0 == 'B' && t1 == 'D');
    if ((gps || otherSystem) && address[2] != '\0' && address[3] != '\0' && address[4] != '\0' &&
        address[5] == '\0') {
        const char a = address[2], b = address[3], c = address[4];
        if (a == 'G' && b == 'G' && c == 'A') {
            ProcessGPGGA(data);
        } else if (gps && a == 'G' && b == 'S' && c == 'A') {
            ProcessGPGSA(data);
        } else if (gps && a == 'G' && b == 'S' && c == 'V') {
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
    m_nGGATimeOfDayMs = -1;

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
    m_nRMCTimeOfDayMs = -1;
    m_bRMCDateGiven = false;

    m_btZDAHour = m_btZDAMinute = m_btZDASecond = 0;
    m_btZDADay = m_btZDAMonth = 1;
    m_wZDAYear = 2000;
    m_cZDALocalZoneHour = 0;
    m_btZDALocalZoneMinute = 0;
    m_dwZDACount = 0;
}
