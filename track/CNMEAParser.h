// Turns a stream of NMEA 0183 text into kept values. The parser is fed bytes in any
// pieces, assembles sentences, checks the `*hh` checksum when there is one, and for the
// GGA, GSA, GSV, RMB, RMC and ZDA sentences of a GPS talker stores the fields of the
// latest sentence of each type in public members that the caller reads after feeding.
// It allocates nothing, so it is cheap to make one per track line.
#pragma once

#include <cstdint>

class CNMEAParser {
public:
    static constexpr int kAddressSize = 8;
    static constexpr int kDataSize = 256;
    static constexpr int kSatelliteCount = 36;
    static constexpr int kGSASatelliteFields = 12;
    static constexpr int kWaypointSize = 32;

    struct SatelliteInfo {
        uint16_t wPRN;
        uint16_t wSignalQuality;
        int32_t bUsedInSolution;
        uint16_t wAzimuth;
        uint16_t wElevation;
    };

    CNMEAParser();
    virtual ~CNMEAParser() = default;

    // Feeds every byte to ProcessByte in order. Always returns 1.
    int ParseBuffer(const unsigned char* bytes, unsigned count);
    int ParseBuffer(const char* bytes, unsigned count);
    void ProcessByte(unsigned char byte);
    // Hands the data to the handler of the address, if it is one of the six known ones,
    // and counts the sentence either way. Always returns 1.
    int ProcessSentence(const char* address, const char* data);
    // Copies field `fieldNumber` (from 0, comma separated) of `data` into `dest`, at most
    // destSize - 1 characters. False, with `dest` empty, when the field is empty or absent.
    static bool GetField(const char* data, char* dest, int fieldNumber, int destSize);
    bool IsSatelliteUsed(uint16_t satellite) const;
    // Sets every sentence value to its default; the assembly state and the sentence count
    // are left alone, so a sentence arriving in pieces survives a reset.
    void Reset();

    // Sentence assembly.
    int32_t m_nState;
    uint8_t m_btChecksum;
    uint8_t m_btReceivedChecksum;
    uint16_t m_wIndex;
    char m_szAddress[kAddressSize];
    char m_szData[kDataSize];
    uint32_t m_dwCommandCount;

    // GPGGA.
    uint8_t m_btGGAHour;
    uint8_t m_btGGAMinute;
    uint8_t m_btGGASecond;
    double m_dGGALatitude;
    double m_dGGALongitude;
    uint8_t m_btGGAGPSQuality;
    uint8_t m_btGGANumOfSatsInUse;
    double m_dGGAHDOP;
    double m_dGGAAltitude;
    uint32_t m_dwGGACount;
    int32_t m_nGGAOldVSpeedSeconds;
    double m_dGGAOldVSpeedAlt;
    double m_dGGAVertSpeed;
    // The latest GGA's own time in milliseconds of the day, -1 when its time field was
    // empty or no valid time; the hour, minute and second above keep an older time then.
    int32_t m_nGGATimeOfDayMs;

    // GPGSA.
    char m_GSAMode;
    uint8_t m_btGSAFixMode;
    uint16_t m_wGSASatsInSolution[kSatelliteCount];
    double m_dGSAPDOP;
    double m_dGSAHDOP;
    double m_dGSAVDOP;
    uint32_t m_dwGSACount;

    // GPGSV.
    uint16_t m_wGSVTotalNumSatsInView;
    SatelliteInfo m_GSVSatInfo[kSatelliteCount];
    uint32_t m_dwGSVCount;

    // GPRMB.
    char m_RMBDataStatus;
    double m_dRMBCrosstrackError;
    char m_RMBDirectionToSteer;
    char m_szRMBOriginWaypoint[kWaypointSize];
    char m_szRMBDestWaypoint[kWaypointSize];
    double m_dRMBDestLatitude;
    double m_dRMBDestLongitude;
    double m_dRMBRangeToDest;
    double m_dRMBBearingToDest;
    double m_dRMBDestClosingVelocity;
    char m_RMBArrivalStatus;
    uint32_t m_dwRMBCount;

    // GPRMC.
    uint8_t m_btRMCHour;
    uint8_t m_btRMCMinute;
    uint8_t m_btRMCSecond;
    char m_RMCStatus;
    double m_dRMCLatitude;
    double m_dRMCLongitude;
    double m_dRMCGroundSpeed;
    double m_dRMCCourse;
    uint8_t m_btRMCDay;
    uint8_t m_btRMCMonth;
    uint16_t m_wRMCYear;
    double m_dRMCMagVar;
    uint32_t m_dwRMCCount;
    // As for GGA: the latest RMC's own time of day in milliseconds or -1, and whether it
    // carried a valid date of its own (the day, month and year above may be older).
    int32_t m_nRMCTimeOfDayMs;
    bool m_bRMCDateGiven;

    // GPZDA. The zone hours are signed because zones west of Greenwich are sent negative.
    uint8_t m_btZDAHour;
    uint8_t m_btZDAMinute;
    uint8_t m_btZDASecond;
    uint8_t m_btZDADay;
    uint8_t m_btZDAMonth;
    uint16_t m_wZDAYear;
    int8_t m_cZDALocalZoneHour;
    uint8_t m_btZDALocalZoneMinute;
    uint32_t m_dwZDACount;

private:
    // The most fields any handler reads: GSV's last satellite ends at field 18.
    static constexpr int kMaxFields = 19;

    // A field as GetField would copy it: where it starts and how many characters it keeps,
    // 0 for an empty or absent one.
    struct FieldText {
        const char* text;
        int length;
    };

    // Finds the first `count` fields of `data` in one pass, so a handler reading many fields
    // does not walk the data from its start for each. Valid only while the handler runs.
    void SplitFields(const char* data, int count);
    // Drops the sentence being assembled; a '$' starts the next one at once.
    void AbandonAt(unsigned char byte);
    FieldText m_fields[kMaxFields];

    void ProcessGPGGA(const char* data);
    void ProcessGPGSA(const char* data);
    void ProcessGPGSV(const char* data);
    void ProcessGPRMB(const char* data);
    void ProcessGPRMC(const char* data);
    void ProcessGPZDA(const char* data);
};
