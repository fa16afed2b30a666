// Places the RMC sentences of NMEA text at the seconds of their own time: the first
// sentence with a time (RMC or GGA) is second 0 and every later one counts from it, across
// midnight. Keying by time rather than by sentence count means a damaged, missing or extra
// sentence moves no other second, and a receiver that fell silent for a while leaves those
// seconds without fix. Until a sentence has a fix its clock is not trusted: a jump back, or
// forward by more than the clip lasts, is a receiver's cold-start clock being set, and the
// sentence after it counts on from the one before it. The clip's sidecar log, the NMEA log
// beside a clip and the NMEA a camera writes into the clip's text track are all read this
// way.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

#include "track/CNMEAParser.h"
#include "track/UtcTime.h"

// The UTC time of the parser's latest RMC when that sentence gave both date and time;
// kUnknownUtc otherwise.
int64_t RmcUtcTime(const CNMEAParser& parser);

class NmeaLogSeconds {
public:
    using Take = std::function<void(int second, const CNMEAParser& parser)>;

    // `checksummed`: the text's sentences carry checksums, so a sentence without one is a
    // line cut short and is dropped (see IsChecksummed). `clipLastSecond`: the last second
    // of the clip the text belongs to, kMaxTrackSecond when its length is unknown; a
    // receiver's silence cannot outlast the clip, so a longer jump of a clock without fix
    // is the clock being set.
    NmeaLogSeconds(bool checksummed, int clipLastSecond);

    // True for text in which any sentence carries a checksum.
    static bool IsChecksummed(std::string_view text);

    // Calls `take` for each RMC sentence of `text` that its second takes: the first one of
    // the second with a valid fix, or, until one comes, the latest without. Sentences end
    // at CR or LF; one without a line end in `text` is not taken. Later calls go on
    // counting from the same second 0.
    void Feed(std::string_view text, const Take& take);

    // True once a sentence gave the time of second 0.
    bool Started() const { return m_firstMs.has_value(); }

private:
    // True when a sentence of time `timeMs` (and date and time `utc`, if it gave both) after
    // the latest one placed shows the clock was set rather than time passing.
    bool ClockWasSet(int32_t timeMs, int64_t utc) const;

    CNMEAParser m_parser;
    std::optional<int32_t> m_firstMs;
    // The latest sentence placed: its time, its second, and whether it had a fix.
    int32_t m_lastMs = 0;
    int m_lastSecond = 0;
    bool m_lastValid = false;
    // The date and time of the latest RMC that gave both: a clock set from one year to
    // another may land on nearly the same time of day.
    int64_t m_lastRmcUtc = kUnknownUtc;
    int m_longestSilence;      // seconds of a clock without fix taken as time passing
    std::vector<bool> m_fixed; // seconds that already hold a valid fix
    bool m_checksummed;
};
