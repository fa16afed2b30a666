#include "track/CNMEAParser.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "NmeaText.h"

namespace {

// "$<body>*hh\r\n", so tests state only the fields.
std::string Line(const std::string& body) {
    return Sentence(body) + "\r\n";
}

void Feed(CNMEAParser& parser, const std::string& text) {
    parser.ParseBuffer(text.data(), static_cast<unsigned>(text.size()));
}

const std::string kRMC = "GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W";

} // namespace

TEST(CNMEAParserAssembly, ChecksummedSentenceIsHandledAtSecondDigitWithoutLineEnd) {
    CNMEAParser parser;
    const std::string full = Line(kRMC);
    Feed(parser, full.substr(0, full.size() - 3));
    EXPECT_EQ(parser.m_dwRMCCount, 0u);
    Feed(parser, full.substr(full.size() - 3, 1));
    EXPECT_EQ(parser.m_dwRMCCount, 1u);
    EXPECT_EQ(parser.m_RMCStatus, 'A');
}

TEST(CNMEAParserAssembly, WrongChecksumDigitChangesNothing) {
    CNMEAParser parser;
    std::string bad = Line(kRMC);
    bad[bad.size() - 3] = bad[bad.size() - 3] == '0' ? '1' : '0';
    Feed(parser, bad);
    EXPECT_EQ(parser.m_dwCommandCount, 0u);
    EXPECT_EQ(parser.m_RMCStatus, 'V');
    EXPECT_EQ(parser.m_dRMCLatitude, 0.0);
}

TEST(CNMEAParserAssembly, UncheckedSentenceNeedsCarriageReturn) {
    CNMEAParser lineFeedOnly;
    Feed(lineFeedOnly, "$GPRMC,,A\n");
    EXPECT_EQ(lineFeedOnly.m_dwCommandCount, 0u);
    CNMEAParser carriageReturn;
    Feed(carriageReturn, "$GPRMC,,A\r");
    EXPECT_EQ(carriageReturn.m_dwRMCCount, 1u);
    EXPECT_EQ(carriageReturn.m_RMCStatus, 'A');
}

TEST(CNMEAParserAssembly, StarEndingAddressIsChecksummedAndDataRunsToLineEnd) {
    CNMEAParser parser;
    Feed(parser, "$GPRMC*,A,4807.038\r");
    EXPECT_EQ(parser.m_RMCStatus, 'A');
    EXPECT_DOUBLE_EQ(parser.m_dRMCLatitude, 48 + 7.038 / 60);
    std::string starNotSummed = Line("GPRMC,V");
    starNotSummed.replace(6, 1, "*,");
    Feed(parser, starNotSummed);
    EXPECT_EQ(parser.m_dwRMCCount, 1u);
    Feed(parser, Line("GPRMC*,V"));
    EXPECT_EQ(parser.m_dwRMCCount, 2u);
    EXPECT_EQ(parser.m_RMCStatus, 'V');
}

TEST(CNMEAParserAssembly, OverlongAddressOrDataIsAbandoned) {
    CNMEAParser parser;
    Feed(parser, "$ABCDEFG,x\r");
    EXPECT_EQ(parser.m_dwCommandCount, 1u);
    Feed(parser, "$ABCDEFGH,x\r");
    EXPECT_EQ(parser.m_dwCommandCount, 1u);
    Feed(parser, "$X," + std::string(255, 'a') + "\r");
    EXPECT_EQ(parser.m_dwCommandCount, 2u);
    Feed(parser, "$X," + std::string(256, 'a') + "\r" + Line(kRMC));
    EXPECT_EQ(parser.m_dwCommandCount, 3u);
    EXPECT_EQ(parser.m_dwRMCCount, 1u);
}

TEST(CNMEAParserAssembly, UnknownAndLowerCaseAddressesAreCountedButNotKept) {
    CNMEAParser parser;
    Feed(parser, Line("GPXTE,A") + Line("gprmc,123519,A"));
    EXPECT_EQ(parser.m_dwCommandCount, 2u);
    EXPECT_EQ(parser.m_dwRMCCount, 0u);
}

// Receivers using GLONASS, Galileo or BeiDou besides GPS write $GNRMC and $GNGGA.
TEST(CNMEAParserAssembly, OtherSatelliteSystemsGiveTimeAndPositionButNotSatellites) {
    CNMEAParser parser;
    Feed(parser, Line("GNRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W"));
    Feed(parser, Line("GNGGA,123519,4807.038,N,01131.000,E,1,12,0.8,545.4,M,,,,"));
    Feed(parser, Line("BDGGA,123520,4807.040,N,01131.000,E,1,05,0.9,545.0,M,,,,"));
    EXPECT_EQ(parser.m_dwRMCCount, 1u);
    EXPECT_EQ(parser.m_RMCStatus, 'A');
    EXPECT_DOUBLE_EQ(parser.m_dRMCLatitude, 48 + 7.038 / 60);
    EXPECT_DOUBLE_EQ(parser.m_dRMCGroundSpeed, 22.4);
    EXPECT_EQ(parser.m_dwGGACount, 2u);
    EXPECT_EQ(parser.m_btGGANumOfSatsInUse, 5);

    Feed(parser, Line("GLGSV,1,1,01,65,40,120,30"));
    Feed(parser, Line("GNGSA,A,3,65"));
    EXPECT_EQ(parser.m_dwGSVCount, 0u);
    EXPECT_EQ(parser.m_GSVSatInfo[0].wPRN, 0);
    EXPECT_EQ(parser.m_dwGSACount, 0u);
    // Counted like any sentence; an unknown talker reads nothing.
    Feed(parser, Line("XXRMC,123521,V"));
    EXPECT_EQ(parser.m_RMCStatus, 'A');
    EXPECT_EQ(parser.m_dwCommandCount, 6u);
}

TEST(CNMEAParserAssembly, ChecksumLettersAreReadInEitherCase) {
    // "X,." sums to 0x5A and "X,\xB9" to 0xCD; a receiver's lower-case '*4a' is as valid.
    const struct {
        const char* text;
        uint32_t handled;
    } cases[] = {
        {"$X,.*5a$X,\xB9*Cd", 2}, {"$X,.*5A$X,\xB9*cD", 2}, {"$X,\xB9*cd", 1},
        {"$X,.*5b$X,\xB9*ce", 0}, {"$X,.*7a", 0},
    };
    for (const auto& c : cases) {
        CNMEAParser parser;
        Feed(parser, c.text);
        EXPECT_EQ(parser.m_dwCommandCount, c.handled) << c.text;
    }
}

TEST(CNMEAParserAssembly, ByteBelowZeroIsANegativeChecksumDigit) {
    // '/' reads as -1: all ones in the low nibble, 0xF0 in the high one. "X,\x8B" sums to 0xFF.
    CNMEAParser parser;
    Feed(parser, "$X,\x8B*0/$X,\x8B*/F");
    EXPECT_EQ(parser.m_dwCommandCount, 2u);
}

TEST(CNMEAParserGetField, SplitsOnCommasAndTreatsEmptyFieldsAsAbsent) {
    char dest[8] = "junk";
    EXPECT_TRUE(CNMEAParser::GetField("A,,B", dest, 0, sizeof dest));
    EXPECT_STREQ(dest, "A");
    EXPECT_FALSE(CNMEAParser::GetField("A,,B", dest, 1, sizeof dest));
    EXPECT_STREQ(dest, "");
    EXPECT_TRUE(CNMEAParser::GetField("A,,B", dest, 2, sizeof dest));
    EXPECT_STREQ(dest, "B");
    EXPECT_FALSE(CNMEAParser::GetField("A,,B", dest, 3, sizeof dest));
    EXPECT_FALSE(CNMEAParser::GetField("A,", dest, 1, sizeof dest));
    EXPECT_FALSE(CNMEAParser::GetField("A,*1", dest, 1, sizeof dest));
    EXPECT_TRUE(CNMEAParser::GetField("A,BC*1", dest, 1, sizeof dest));
    EXPECT_STREQ(dest, "BC");
}

TEST(CNMEAParserGetField, CutsLongFieldsAndRefusesBadArguments) {
    char dest[4] = "xyz";
    EXPECT_TRUE(CNMEAParser::GetField("123456,7", dest, 0, 4));
    EXPECT_STREQ(dest, "123");
    EXPECT_FALSE(CNMEAParser::GetField("1", dest, 0, 0));
    EXPECT_STREQ(dest, "123");
    EXPECT_FALSE(CNMEAParser::GetField(nullptr, dest, 0, 4));
    EXPECT_TRUE(CNMEAParser::GetField("9", dest, 0, 1));
    EXPECT_STREQ(dest, "");
}

TEST(CNMEAParserRMC, KeepsEveryField) {
    CNMEAParser parser;
    Feed(parser, Line("GPRMC,123519,A,1230.5,S,01131.000,W,022.4,084.4,230394,003.1,W"));
    EXPECT_EQ(parser.m_btRMCHour, 12);
    EXPECT_EQ(parser.m_btRMCMinute, 35);
    EXPECT_EQ(parser.m_btRMCSecond, 19);
    EXPECT_DOUBLE_EQ(parser.m_dRMCLatitude, -(12 + 30.5 / 60));
    EXPECT_DOUBLE_EQ(parser.m_dRMCLongitude, -(11 + 31.0 / 60));
    EXPECT_DOUBLE_EQ(parser.m_dRMCGroundSpeed, 22.4);
    EXPECT_DOUBLE_EQ(parser.m_dRMCCourse, 84.4);
    EXPECT_EQ(parser.m_btRMCDay, 23);
    EXPECT_EQ(parser.m_btRMCMonth, 3);
    EXPECT_EQ(parser.m_wRMCYear, 1994); // 94: GPS dates from 1980 on
    EXPECT_DOUBLE_EQ(parser.m_dRMCMagVar, -3.1);
}

TEST(CNMEAParserRMC, EmptyFieldsKeepPositionAndDateButResetTheRest) {
    CNMEAParser parser;
    Feed(parser, Line(kRMC));
    Feed(parser, Line("GPRMC,,,,S,,W,,,,,"));
    EXPECT_EQ(parser.m_RMCStatus, 'V');
    EXPECT_DOUBLE_EQ(parser.m_dRMCLatitude, -(48 + 7.038 / 60));
    EXPECT_DOUBLE_EQ(parser.m_dRMCLongitude, -(11 + 31.0 / 60));
    EXPECT_EQ(parser.m_dRMCGroundSpeed, 0.0);
    EXPECT_EQ(parser.m_dRMCCourse, 0.0);
    EXPECT_EQ(parser.m_btRMCSecond, 19);
    EXPECT_EQ(parser.m_wRMCYear, 1994); // 94: GPS dates from 1980 on
    EXPECT_EQ(parser.m_dRMCMagVar, 0.0);
}

TEST(CNMEAParserRMC, NumbersReadLikeAtofAndShortFieldsGiveZeroPairs) {
    CNMEAParser parser;
    Feed(parser, Line("GPRMC,1234,A,48,N,5,E,+7.5x,abc,3"));
    EXPECT_EQ(parser.m_btRMCMinute, 34);
    EXPECT_EQ(parser.m_btRMCSecond, 0);
    EXPECT_DOUBLE_EQ(parser.m_dRMCLatitude, 48.0);
    EXPECT_DOUBLE_EQ(parser.m_dRMCLongitude, 5.0);
    EXPECT_DOUBLE_EQ(parser.m_dRMCGroundSpeed, 7.5);
    EXPECT_EQ(parser.m_dRMCCourse, 0.0);
    EXPECT_EQ(parser.m_btRMCDay, 3);
    EXPECT_EQ(parser.m_btRMCMonth, 0);
}

TEST(CNMEAParserGGA, KeepsFieldsAndClimbPerMinute) {
    CNMEAParser parser;
    Feed(parser, Line("GPGGA,101000,4807.038,N,01131.000,E,1,08,0.9,100.0,M,,,,"));
    Feed(parser, Line("GPGGA,101100,,,,,,,,160.0,M,,,,"));
    EXPECT_DOUBLE_EQ(parser.m_dGGAVertSpeed, 60.0);
    EXPECT_DOUBLE_EQ(parser.m_dGGALatitude, 48 + 7.038 / 60);
    EXPECT_EQ(parser.m_btGGAGPSQuality, 1);
    EXPECT_EQ(parser.m_btGGANumOfSatsInUse, 8);
    EXPECT_DOUBLE_EQ(parser.m_dGGAHDOP, 0.9);
    // Into the next hour the minute count falls, so the speed stays.
    Feed(parser, Line("GPGGA,110000,,,,,,,,500.0"));
    EXPECT_DOUBLE_EQ(parser.m_dGGAVertSpeed, 60.0);
    EXPECT_EQ(parser.m_dwGGACount, 3u);
}

TEST(CNMEAParserGSA, FillsSatellitesUsedAndResetsEmptyOnes) {
    CNMEAParser parser;
    Feed(parser, Line("GPGSA,A,3,04,05,,09,,,,,,,,12,2.5,1.3,2.1"));
    EXPECT_EQ(parser.m_GSAMode, 'A');
    EXPECT_EQ(parser.m_btGSAFixMode, 3);
    EXPECT_TRUE(parser.IsSatelliteUsed(9));
    EXPECT_TRUE(parser.IsSatelliteUsed(12));
    EXPECT_FALSE(parser.IsSatelliteUsed(0));
    EXPECT_DOUBLE_EQ(parser.m_dGSAVDOP, 2.1);
    Feed(parser, Line("GPGSA,,,04"));
    EXPECT_EQ(parser.m_GSAMode, 'A');
    EXPECT_FALSE(parser.IsSatelliteUsed(9));
    EXPECT_EQ(parser.m_dGSAPDOP, 0.0);
}

TEST(CNMEAParserGSV, MessageNumberPlacesSatellitesInTable) {
    CNMEAParser parser;
    Feed(parser, Line("GPGSA,A,3,07"));
    Feed(parser, Line("GPGSV,2,2,08,07,01,002,03,,,,,09,11,012,13,10,,,"));
    EXPECT_EQ(parser.m_wGSVTotalNumSatsInView, 8);
    EXPECT_EQ(parser.m_GSVSatInfo[4].wPRN, 7);
    EXPECT_EQ(parser.m_GSVSatInfo[4].wElevation, 1);
    EXPECT_EQ(parser.m_GSVSatInfo[4].wAzimuth, 2);
    EXPECT_EQ(parser.m_GSVSatInfo[4].wSignalQuality, 3);
    EXPECT_EQ(parser.m_GSVSatInfo[4].bUsedInSolution, 1);
    EXPECT_EQ(parser.m_GSVSatInfo[6].wPRN, 9);
    EXPECT_EQ(parser.m_GSVSatInfo[6].bUsedInSolution, 0);
    EXPECT_EQ(parser.m_GSVSatInfo[7].wPRN, 10);
    EXPECT_EQ(parser.m_GSVSatInfo[0].wPRN, 0);
}

TEST(CNMEAParserGSV, DropsSentencesThatCannotBePlaced) {
    CNMEAParser parser;
    for (const char* body : {"GPGSV,2,0,08,07", "GPGSV,2,,08,07", "GPGSV,9,1,08,07",
                             "GPGSV,1,10,08,07", "GPGSV,,1,08,07"}) {
        Feed(parser, Line(body));
    }
    EXPECT_EQ(parser.m_dwGSVCount, 0u);
    EXPECT_EQ(parser.m_wGSVTotalNumSatsInView, 0);
    Feed(parser, Line("GPGSV,8,9,08,35"));
    EXPECT_EQ(parser.m_GSVSatInfo[32].wPRN, 35);
}

TEST(CNMEAParserRMB, KeepsFieldsAndDefaults) {
    CNMEAParser parser;
    Feed(parser, Line("GPRMB,A,0.66,L,003,004,4917.24,S,12309.57,W,001.3,052.5,000.5,A"));
    EXPECT_EQ(parser.m_RMBDirectionToSteer, 'L');
    EXPECT_STREQ(parser.m_szRMBDestWaypoint, "004");
    EXPECT_DOUBLE_EQ(parser.m_dRMBDestLongitude, -(123 + 9.57 / 60));
    EXPECT_DOUBLE_EQ(parser.m_dRMBDestClosingVelocity, 0.5);
    EXPECT_EQ(parser.m_RMBArrivalStatus, 'A');
    Feed(parser, Line("GPRMB,,,,,"));
    EXPECT_EQ(parser.m_RMBDataStatus, 'V');
    EXPECT_EQ(parser.m_RMBDirectionToSteer, '?');
    EXPECT_STREQ(parser.m_szRMBOriginWaypoint, "");
    EXPECT_DOUBLE_EQ(parser.m_dRMBDestLatitude, -(49 + 17.24 / 60));
    EXPECT_EQ(parser.m_RMBArrivalStatus, 'V');
}

TEST(CNMEAParserZDA, KeepsFieldsAndEmptyYearGivesOne) {
    CNMEAParser parser;
    Feed(parser, Line("GPZDA,201530.00,04,07,2002,-05,30"));
    EXPECT_EQ(parser.m_btZDAHour, 20);
    EXPECT_EQ(parser.m_wZDAYear, 2002);
    EXPECT_EQ(parser.m_cZDALocalZoneHour, -5);
    EXPECT_EQ(parser.m_btZDALocalZoneMinute, 30);
    Feed(parser, Line("GPZDA,,,,"));
    EXPECT_EQ(parser.m_btZDAHour, 20);
    EXPECT_EQ(parser.m_btZDADay, 1);
    EXPECT_EQ(parser.m_wZDAYear, 1);
}

TEST(CNMEAParserReset, RestoresDefaultsButKeepsAssemblyAndSentenceCount) {
    CNMEAParser parser;
    const std::string full = Line(kRMC);
    Feed(parser, full + full.substr(0, 20));
    parser.Reset();
    EXPECT_EQ(parser.m_RMCStatus, 'V');
    EXPECT_EQ(parser.m_wRMCYear, 2000);
    EXPECT_EQ(parser.m_dwRMCCount, 0u);
    Feed(parser, full.substr(20));
    EXPECT_EQ(parser.m_dwRMCCount, 1u);
    EXPECT_EQ(parser.m_dwCommandCount, 2u);
}

TEST(CNMEAParserAssembly, PiecesOfAnySizeGiveWhatSingleBytesGive) {
    // Long data crosses the eight-byte steps of the fast path at every offset, with the
    // '*' and the line end landing anywhere in a step.
    std::string log;
    for (int pad = 0; pad < 12; ++pad) {
        log += Line("GPRMB,A,0.66,L," + std::string(static_cast<size_t>(pad), 'P') +
                    ",004,4917.24,S,12309.57,W,001.3,052.5,000.5,A");
        log += "$GPGSA," + std::string(static_cast<size_t>(pad), ' ') + "A,3,04,05,09\r\n";
    }
    log += "$X," + std::string(300, 'a') + "*00" + Line(kRMC);
    for (size_t piece = 1; piece <= 40; ++piece) {
        CNMEAParser pieces;
        CNMEAParser bytes;
        for (size_t offset = 0; offset < log.size(); offset += piece) {
            Feed(pieces, log.substr(offset, piece));
        }
        for (char c : log) {
            bytes.ProcessByte(static_cast<unsigned char>(c));
        }
        EXPECT_EQ(pieces.m_dwCommandCount, bytes.m_dwCommandCount);
        EXPECT_EQ(pieces.m_dwCommandCount, 25u);
        EXPECT_EQ(pieces.m_dwRMCCount, 1u);
        EXPECT_EQ(pieces.m_wIndex, bytes.m_wIndex);
        EXPECT_EQ(pieces.m_btChecksum, bytes.m_btChecksum);
        EXPECT_EQ(0, std::memcmp(pieces.m_szData, bytes.m_szData, sizeof pieces.m_szData));
        EXPECT_STREQ(pieces.m_szRMBOriginWaypoint, bytes.m_szRMBOriginWaypoint);
        EXPECT_EQ(pieces.m_wGSASatsInSolution[2], 9);
    }
}

TEST(CNMEAParserAssembly, FullDataBufferIsAbandonedAtItsLastByte) {
    CNMEAParser parser;
    Feed(parser, "$X," + std::string(300, 'b'));
    EXPECT_EQ(parser.m_nState, 0);
    EXPECT_EQ(parser.m_wIndex, CNMEAParser::kDataSize);
    EXPECT_EQ(parser.m_szData[CNMEAParser::kDataSize - 1], 'b');
    // 256 'b's XOR to zero, then the "X," of the address.
    EXPECT_EQ(parser.m_btChecksum, 'X' ^ ',');
}

TEST(CNMEAParserNumbers, ReadExactlyAsFromCharsWouldOutsideTheShortForms) {
    CNMEAParser parser;
    // Ten digits and more leave the short path: in range they still count, past the range
    // of an int they give 0.
    Feed(parser, Line("GPZDA,,1234567890,99999999999,0000000002007,-2147483648,-0"));
    EXPECT_EQ(parser.m_btZDADay, static_cast<uint8_t>(1234567890));
    EXPECT_EQ(parser.m_btZDAMonth, 0);
    EXPECT_EQ(parser.m_wZDAYear, 2007);
    EXPECT_EQ(parser.m_cZDALocalZoneHour, 0);
    EXPECT_EQ(parser.m_btZDALocalZoneMinute, 0);
    Feed(parser, Line("GPRMC,,A,,,,,1.5e2,-0.0,,.25,W"));
    EXPECT_EQ(parser.m_dRMCGroundSpeed, 150.0);
    EXPECT_EQ(parser.m_dRMCCourse, 0.0);
    EXPECT_TRUE(std::signbit(parser.m_dRMCCourse));
    EXPECT_EQ(parser.m_dRMCMagVar, -0.25);
    // Sixteen digits and more are rounded once by from_chars, not by a division.
    Feed(parser, Line("GPRMC,,A,,,,,0.1234567890123456789,7.,,  +5,E"));
    EXPECT_EQ(parser.m_dRMCGroundSpeed, 0.1234567890123456789);
    EXPECT_EQ(parser.m_dRMCCourse, 7.0);
    EXPECT_EQ(parser.m_dRMCMagVar, 5.0);
    Feed(parser, Line("GPGGA,,,,,,,,inf,nan"));
    EXPECT_TRUE(std::isinf(parser.m_dGGAHDOP));
    EXPECT_TRUE(std::isnan(parser.m_dGGAAltitude));
}

TEST(CNMEAParserNumbers, FieldsAreCutAtTwentyFourCharacters) {
    CNMEAParser parser;
    // The 25th digit falls off, so the speed is a tenth of what the text says.
    Feed(parser, Line("GPRMC,,A,,,,,0000000000000000000012345,1" + std::string(30, '0')));
    EXPECT_EQ(parser.m_dRMCGroundSpeed, 1234.0);
    EXPECT_EQ(parser.m_dRMCCourse, 1e23);
    Feed(parser, Line("GPRMB,A,,," + std::string(30, 'w') + ",short"));
    EXPECT_EQ(std::string(parser.m_szRMBOriginWaypoint), std::string(24, 'w'));
    Feed(parser, Line("GPRMB,A,,,ab"));
    // Only the text and its terminator are written; what was past it stays.
    EXPECT_STREQ(parser.m_szRMBOriginWaypoint, "ab");
    EXPECT_EQ(parser.m_szRMBOriginWaypoint[3], 'w');
    EXPECT_EQ(parser.m_szRMBDestWaypoint[0], '\0');
    EXPECT_EQ(parser.m_szRMBDestWaypoint[1], 'h');
}

TEST(CNMEAParserFields, StarEndsAFieldButOnlyCommasCountFields) {
    CNMEAParser parser;
    parser.ProcessSentence("GPZDA", "12*34,05*,06,2001*7,*,3");
    EXPECT_EQ(parser.m_btZDAHour, 12);
    EXPECT_EQ(parser.m_btZDAMinute, 0);
    EXPECT_EQ(parser.m_btZDADay, 5);
    EXPECT_EQ(parser.m_btZDAMonth, 6);
    EXPECT_EQ(parser.m_wZDAYear, 2001);
    EXPECT_EQ(parser.m_cZDALocalZoneHour, 0);
    EXPECT_EQ(parser.m_btZDALocalZoneMinute, 3);
    parser.ProcessSentence("GPZD", "1,1,1");
    parser.ProcessSentence("GPZDAX", "1,1,1");
    parser.ProcessSentence("", "1,1,1");
    EXPECT_EQ(parser.m_dwZDACount, 1u);
    EXPECT_EQ(parser.m_dwCommandCount, 4u);
}

TEST(CNMEAParserAssembly, MissingChecksumDigitsDoNotSwallowTheNextSentence) {
    // A bare '*', or one digit, followed by a line end or straight by the next sentence.
    const std::string good = Line("GPRMC,123520,A,4808.000,N,01131.000,E,0,0,230394,,");
    for (const char* tail : {"*\r", "*\n", "*", "*4", "*4\n"}) {
        CNMEAParser parser;
        Feed(parser, "$" + kRMC + tail + good);
        EXPECT_EQ(parser.m_dwRMCCount, 1u) << tail;
        EXPECT_DOUBLE_EQ(parser.m_dRMCLatitude, 48 + 8.0 / 60) << tail;
    }
}

TEST(CNMEAParserRMC, OwnTimeOfDayAndDateAreTold) {
    CNMEAParser parser;
    EXPECT_EQ(parser.m_nRMCTimeOfDayMs, -1);
    Feed(parser, Line("GPRMC,123519.57,A,4807.038,N,01131.000,E,0,0,230394,,"));
    EXPECT_EQ(parser.m_nRMCTimeOfDayMs, 45319570); // (12 h 35 min 19 s) = 45 319 s, + 570 ms
    EXPECT_TRUE(parser.m_bRMCDateGiven);
    // Empty fields keep the older clock members but say that this sentence had none.
    Feed(parser, Line("GPRMC,,A,4807.038,N,01131.000,E,0,0,,,"));
    EXPECT_EQ(parser.m_btRMCSecond, 19);
    EXPECT_EQ(parser.m_nRMCTimeOfDayMs, -1);
    EXPECT_FALSE(parser.m_bRMCDateGiven);
    for (const char* bad : {"246000", "12351", "1235x9", "123519x", "123560"}) {
        Feed(parser, Line(std::string("GPRMC,") + bad + ",A,,,,,0,0,320394,,"));
        EXPECT_EQ(parser.m_nRMCTimeOfDayMs, -1) << bad;
        EXPECT_FALSE(parser.m_bRMCDateGiven); // day 32
    }
    Feed(parser, Line("GPGGA,101000.5,4807.038,N,01131.000,E,1,08,0.9,100.0,M,,,,"));
    EXPECT_EQ(parser.m_nGGATimeOfDayMs, 36600500); // 10 h 10 min = 36 600 s, + 500 ms
}
