// What a dash camera's clip file name says of the clip: when the camera's clock says it
// started, which camera of a multi-camera set wrote it, and whether the camera kept it as
// an event. Names are read by the patterns below only; any other name says nothing, so a
// file renamed by a person is never given a time it does not state.
//
// Patterns read (the extension is ignored; letters in any case; C is a channel letter F
// front, R rear, I interior, O option, or A front and B rear where a camera letters its two
// channels so; parts in [] may be absent):
//   YYYY_MMDD_HHMMSS[_N...][[_]C]          2024_1001_160000_F, 2024_1001_160000_001F,
//                                          2024_1001_160000_0001A
//   YYYYMMDD_HHMMSS[_N...][_C]             20241001_160000, 20241001_160000_R
//   YYYYMMDD_HHMMSS_MC[L|S]                20241001_160000_NF: M is the recording mode,
//                                          N normal, P parking, E event, M manual,
//                                          I parking impact, O over speed, A hard
//                                          acceleration, B hard braking, T sharp turn
//                                          (here C is F, R, I or O only)
//   KIND YYMMDD-HHMMSS[-N...][C]           FILE241001-160000F, EMER241001-160000F
//                                          (KIND FILE, PARK; EMER, EVNT, EV, LOCK events)
//   KIND YYYYMMDD-HHMMSS[-N...][C]         NO20241001-160000-000123F, ...-000123B
//                                          (KIND NO, PA; EV, PE, EMER events)
//   KIND_YYYY_MM_DD_HH_MM_SS[_C]           REC_2024_10_01_16_00_00_F
//                                          (KIND REC, MOT, PRK; EVT, MAN events)
// A two-digit year is taken as 20YY.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

struct CameraFileName {
    // The recording date and time as the camera's clock wrote it, a local time of no
    // known zone, counted as seconds since 1970-01-01T00:00:00 of that same clock.
    int64_t cameraTime = 0;
    // 'F', 'R', 'I' or 'O' (A read as F, B as R); 0 where the name names no channel.
    char channel = 0;
    // Which of the patterns above read the name, counted from 0: names of one camera set
    // share it.
    int family = 0;
    // The name marks the clip as an event the camera keeps from being overwritten.
    bool event = false;
};

// Nothing for a name of no known pattern, or one whose date or time cannot be (month 13,
// 31 April, 25:00).
std::optional<CameraFileName> ReadCameraFileName(std::string_view fileName);
