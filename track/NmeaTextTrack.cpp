#include "track/NmeaTextTrack.h"

#include "track/CMapTrackStore.h"
#include "track/CSpeedDialModel.h"
#include "track/Mp4TextSamples.h"
#include "track/NmeaLogSeconds.h"
#include "track/TrackLine.h"
#include "track/Truncate.h"

#include <cmath>
#include <string>
#include <vector>

namespace {

struct Cue {
    double seconds;
    std::string text;
};

} // namespace

bool LoadNmeaTextTrack(ByteSource& source, const TrackStores& stores) {
    // The cues are gathered first: whether any sentence carries a checksum decides how the
    // others are read, as in a log.
    std::vector<Cue> cues;
    bool checksummed = false;
    int firstTrack = -1;
    ForEachMp4TextSample(source, [&](const TextSample& sample) {
        // A clip with several text tracks (languages, a caption besides the data) is read
        // from the first that holds NMEA text.
        const bool nmea = sample.text.find('$') != std::string_view::npos;
        if (firstTrack < 0 && nmea) {
            firstTrack = sample.track;
        }
        if (sample.track != firstTrack || !nmea) {
            return;
        }
        checksummed = checksummed || NmeaLogSeconds::IsChecksummed(sample.text);
        // A cue's last sentence often has no line end; the end of the cue is one.
        cues.push_back({sample.seconds, std::string(sample.text) + "\n"});
    });

    NmeaLogSeconds seconds(checksummed, stores.map.LastSecond());
    int start = 0;
    bool anyFix = false;
    for (const Cue& cue : cues) {
        if (!seconds.Started()) {
            // Rounded to the millisecond first, as the engine times its cues, so a cue
            // stamped 2.9999999 s is second 3 in both.
            start = std::isfinite(cue.seconds) && cue.seconds < kMaxTrackSecond
                        ? static_cast<int>(std::lround(cue.seconds * 1000) / 1000)
                        : 0;
        }
        seconds.Feed(cue.text, [&](int logSecond, const CNMEAParser& parser) {
            const int second = start + logSecond;
            if (second > kMaxTrackSecond) {
                return;
            }
            stores.map.PutEntry(second, parser.m_dRMCLatitude, parser.m_dRMCLongitude,
                                parser.m_RMCStatus, RmcUtcTime(parser));
            stores.dial.SetSpeedRecord(second, DialSpeedFromKnots(parser.m_dRMCGroundSpeed),
                                       TruncateToInt(parser.m_dRMCCourse));
            anyFix = anyFix || stores.map.HasPosition(second);
        });
    }
    return anyFix;
}
