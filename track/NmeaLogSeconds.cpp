#include "track/NmeaLogSeconds.h"

#include "track/TrackLine.h"
#include "track/UtcTime.h"

#include <algorithm>

namespace {

constexpr int kSecondsPerDay = 86400;

// A receiver sends one cycle of sentences a second; a few lost ones are never a clock being
// set, however short the clip.
constexpr int kLargestCycleStep = 5;

// The longest silence taken as time passing when the clip's length is unknown. Receivers
// fall silent for seconds (a tunnel, a garage), cameras cut clips of a minute or more, and
// a clock being set moves by the hours or years the receiver stood without one.
constexpr int kSilenceInClipOfUnknownLength = 60;

// The whole seconds from `fromMs` to `toMs`, the nearer way round the day: negative when
// the clock went back.
int StepSeconds(int32_t fromMs, int32_t toMs) {
    const int step =
        ((toMs / 1000 - fromMs / 1000) % kSecondsPerDay + kSecondsPerDay) % kSecondsPerDay;
    return step > kSecondsPerDay / 2 ? step - kSecondsPerDay : step;
}

// The time of second 0 for a sentence of time `timeMs` that belongs at `second`.
int32_t OriginFor(int32_t timeMs, int second) {
    constexpr int32_t kMsPerDay = kSecondsPerDay * 1000;
    const int64_t origin = static_cast<int64_t>(timeMs) - int64_t{second} * 1000;
    return static_cast<int32_t>((origin % kMsPerDay + kMsPerDay) % kMsPerDay);
}

// The second of a log time, counted from the log's first time: a log that runs past
// midnight goes on counting. A time more than half a day behind the start (by the same
// count, half a day or more ahead) is a damaged clock, not a place in the log; taking it
// would put one entry a day away and grow the store by as much.
std::optional<int> LogSecond(int32_t firstMs, int32_t timeMs) {
    const int elapsed =
        ((timeMs / 1000 - firstMs / 1000) % kSecondsPerDay + kSecondsPerDay) % kSecondsPerDay;
    if (elapsed >= kSecondsPerDay / 2) {
        return std::nullopt;
    }
    return elapsed;
}

} // namespace

int64_t RmcUtcTime(const CNMEAParser& parser) {
    if (parser.m_dwRMCCount == 0 || !parser.m_bRMCDateGiven || parser.m_nRMCTimeOfDayMs < 0) {
        return kUnknownUtc;
    }
    const int seconds = parser.m_nRMCTimeOfDayMs / 1000;
    return UtcSeconds(parser.m_wRMCYear, parser.m_btRMCMonth, parser.m_btRMCDay, seconds / 3600,
                      seconds / 60 % 60, seconds % 60)
        .value_or(kUnknownUtc);
}

NmeaLogSeconds::NmeaLogSeconds(bool checksummed, int clipLastSecond)
    : m_longestSilence(clipLastSecond >= kMaxTrackSecond
                           ? kSilenceInClipOfUnknownLength
                           : std::max(clipLastSecond, kLargestCycleStep)),
      m_checksummed(checksummed) {}

bool NmeaLogSeconds::ClockWasSet(int32_t timeMs, int64_t utc) const {
    if (utc != kUnknownUtc && m_lastRmcUtc != kUnknownUtc &&
        (utc < m_lastRmcUtc || utc - m_lastRmcUtc > m_longestSilence)) {
        return true;
    }
    const int step = StepSeconds(m_lastMs, timeMs);
    return step < 0 || step > m_longestSilence;
}

bool NmeaLogSeconds::IsChecksummed(std::string_view text) {
    return text.find('*') != std::string_view::npos;
}

void NmeaLogSeconds::Feed(std::string_view text, const Take& take) {
    size_t sentenceStart = std::string_view::npos;
    for (size_t i = 0; i < text.size(); ++i) {
        const char byte = text[i];
        if (byte == '$') {
            sentenceStart = i;
            continue;
        }
        if ((byte != '\r' && byte != '\n') || sentenceStart == std::string_view::npos) {
            continue;
        }
        const std::string_view sentence = text.substr(sentenceStart, i - sentenceStart);
        sentenceStart = std::string_view::npos;
        if (m_checksummed && sentence.find('*') == std::string_view::npos) {
            continue;
        }
        // Every line end closes the sentence, so text written with bare line feeds loads
        // too; the parser is handed a carriage return, the end it knows.
        const uint32_t rmcBefore = m_parser.m_dwRMCCount;
        const uint32_t ggaBefore = m_parser.m_dwGGACount;
        m_parser.ParseBuffer(sentence.data(), static_cast<unsigned>(sentence.size()));
        const unsigned char cr = '\r';
        m_parser.ParseBuffer(&cr, 1);
        const bool rmc = m_parser.m_dwRMCCount != rmcBefore;
        const int32_t timeMs = rmc                                  ? m_parser.m_nRMCTimeOfDayMs
                               : m_parser.m_dwGGACount != ggaBefore ? m_parser.m_nGGATimeOfDayMs
                                                                    : -1;
        if (timeMs < 0) {
            continue;
        }
        const bool valid = rmc ? m_parser.m_RMCStatus == 'A' : m_parser.m_btGGAGPSQuality > 0;
        const int64_t utc = rmc ? RmcUtcTime(m_parser) : kUnknownUtc;
        if (!m_firstMs) {
            m_firstMs = timeMs;
        } else if (!m_lastValid && ClockWasSet(timeMs, utc)) {
            // A receiver without a fix runs on a default or stale clock (hours away, a
            // 1980 date) and jumps to the true time at its first fix. The clock it left
            // was never true, so the sentence takes the cycle after the last one instead
            // of landing hours away or being dropped as far behind. A shorter jump is the
            // receiver having been silent while the camera recorded: the sentence keeps
            // its own time and the silent seconds stay without fix.
            m_firstMs = OriginFor(timeMs, m_lastSecond + 1);
        }
        const std::optional<int> placed = LogSecond(*m_firstMs, timeMs);
        if (placed) {
            m_lastMs = timeMs;
            m_lastSecond = *placed;
            m_lastValid = valid;
            if (utc != kUnknownUtc) {
                m_lastRmcUtc = utc;
            }
        }
        const std::optional<int> second = rmc ? placed : std::nullopt;
        if (!second) {
            continue;
        }
        // A receiver writing several fixes a second gives the second the first valid one,
        // the position at the moment the second begins.
        const auto at = static_cast<size_t>(*second);
        if (at < m_fixed.size() && m_fixed[at]) {
            continue;
        }
        if (m_parser.m_RMCStatus == 'A') {
            if (at >= m_fixed.size()) {
                m_fixed.resize(at + 1, false);
            }
            m_fixed[at] = true;
        }
        take(*second, m_parser);
    }
}
