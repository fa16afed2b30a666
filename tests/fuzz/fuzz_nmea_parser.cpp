// Feeds arbitrary bytes to the NMEA parser whole and in pieces, and checks that how the
// stream is split never changes what is kept; also drives GetField with exact-size
// destinations so any write past them is caught by the address sanitizer.
#include "track/CNMEAParser.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace {

void Require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

void FeedInChunks(CNMEAParser& parser, const uint8_t* data, size_t size, size_t chunk) {
    uint32_t lastCount = parser.m_dwCommandCount;
    for (size_t offset = 0; offset < size; offset += chunk) {
        const size_t length = size - offset < chunk ? size - offset : chunk;
        Require(parser.ParseBuffer(data + offset, static_cast<unsigned>(length)) == 1);
        Require(parser.m_dwCommandCount >= lastCount);
        Require(parser.m_nState >= 0 && parser.m_nState <= 4);
        lastCount = parser.m_dwCommandCount;
    }
}

// Every kept value as raw bits, so that NaN from a "nan" field still compares equal.
template <typename T> void Append(std::vector<uint64_t>& out, const T& value) {
    uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof value);
    out.push_back(bits);
}

std::vector<uint64_t> KeptValues(const CNMEAParser& p) {
    std::vector<uint64_t> v;
    for (auto value : {p.m_nState, int32_t{p.m_btChecksum}, int32_t{p.m_wIndex}}) {
        Append(v, value);
    }
    for (auto value : {p.m_dwCommandCount, p.m_dwGGACount, p.m_dwGSACount, p.m_dwGSVCount,
                       p.m_dwRMBCount, p.m_dwRMCCount, p.m_dwZDACount}) {
        Append(v, value);
    }
    for (auto value : {p.m_dGGALatitude,
                       p.m_dGGALongitude,
                       p.m_dGGAHDOP,
                       p.m_dGGAAltitude,
                       p.m_dGGAOldVSpeedAlt,
                       p.m_dGGAVertSpeed,
                       p.m_dGSAPDOP,
                       p.m_dGSAHDOP,
                       p.m_dGSAVDOP,
                       p.m_dRMBCrosstrackError,
                       p.m_dRMBDestLatitude,
                       p.m_dRMBDestLongitude,
                       p.m_dRMBRangeToDest,
                       p.m_dRMBBearingToDest,
                       p.m_dRMBDestClosingVelocity,
                       p.m_dRMCLatitude,
                       p.m_dRMCLongitude,
                       p.m_dRMCGroundSpeed,
                       p.m_dRMCCourse,
                       p.m_dRMCMagVar}) {
        Append(v, value);
    }
    for (auto value : {int32_t{p.m_btGGAHour},
                       int32_t{p.m_btGGAMinute},
                       int32_t{p.m_btGGASecond},
                       int32_t{p.m_btGGAGPSQuality},
                       int32_t{p.m_btGGANumOfSatsInUse},
                       p.m_nGGAOldVSpeedSeconds,
                       int32_t{p.m_GSAMode},
                       int32_t{p.m_btGSAFixMode},
                       int32_t{p.m_wGSVTotalNumSatsInView},
                       int32_t{p.m_RMBDataStatus},
                       int32_t{p.m_RMBDirectionToSteer},
                       int32_t{p.m_RMBArrivalStatus},
                       int32_t{p.m_btRMCHour},
                       int32_t{p.m_btRMCMinute},
                       int32_t{p.m_btRMCSecond},
                       int32_t{p.m_RMCStatus},
                       int32_t{p.m_btRMCDay},
                       int32_t{p.m_btRMCMonth},
                       int32_t{p.m_wRMCYear},
                       int32_t{p.m_btZDAHour},
                       int32_t{p.m_btZDAMinute},
                       int32_t{p.m_btZDASecond},
                       int32_t{p.m_btZDADay},
                       int32_t{p.m_btZDAMonth},
                       int32_t{p.m_wZDAYear},
                       int32_t{p.m_cZDALocalZoneHour},
                       int32_t{p.m_btZDALocalZoneMinute}}) {
        Append(v, value);
    }
    for (uint16_t satellite : p.m_wGSASatsInSolution) {
        Append(v, satellite);
    }
    for (const auto& satellite : p.m_GSVSatInfo) {
        for (auto value :
             {int32_t{satellite.wPRN}, int32_t{satellite.wSignalQuality}, satellite.bUsedInSolution,
              int32_t{satellite.wAzimuth}, int32_t{satellite.wElevation}}) {
            Append(v, value);
        }
    }
    for (const char* text : {p.m_szRMBOriginWaypoint, p.m_szRMBDestWaypoint}) {
        for (size_t i = 0; i < CNMEAParser::kWaypointSize && text[i] != '\0'; ++i) {
            Append(v, text[i]);
        }
        Append(v, '\0');
    }
    return v;
}

void CheckGetField(const char* text) {
    for (int fieldNumber : {-1, 0, 1, 2, 5, 12, 40}) {
        for (int size : {0, 1, 2, 8, 25}) {
            // Exactly `size` bytes on the heap, so one byte too many is an overflow.
            std::unique_ptr<char[]> dest(new char[size > 0 ? size : 1]);
            dest[0] = 'x';
            const bool found = CNMEAParser::GetField(text, dest.get(), fieldNumber, size);
            if (size <= 0) {
                Require(!found && dest[0] == 'x');
                continue;
            }
            const size_t length = strnlen(dest.get(), static_cast<size_t>(size));
            Require(length < static_cast<size_t>(size));
            Require(std::strpbrk(dest.get(), ",*") == nullptr);
            Require(found || length == 0);
            Require(!found || size == 1 || length > 0);
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto whole = std::make_unique<CNMEAParser>();
    auto pieces = std::make_unique<CNMEAParser>();
    auto bytes = std::make_unique<CNMEAParser>();
    FeedInChunks(*whole, data, size, size > 0 ? size : 1);
    FeedInChunks(*pieces, data, size, size > 0 ? 1 + data[0] % 17 : 1);
    FeedInChunks(*bytes, data, size, 1);
    Require(KeptValues(*whole) == KeptValues(*pieces));
    Require(KeptValues(*whole) == KeptValues(*bytes));

    std::vector<char> text(data, data + size);
    text.push_back('\0');
    CheckGetField(text.data());
    whole->ProcessSentence(text.data(), text.data());
    whole->ProcessSentence(nullptr, nullptr);
    return 0;
}
