// Thinkware cameras write one subtitle cue a second into a text track of the clip:
// "gsensori,<range>,<per g>,<x>,<y>,<z>;GPRMC,...;CAR,...", the RMC sentence without its
// leading '$', with or without a checksum. The layout is as exiftool's QuickTimeStream.pl
// describes it; exiftool leaves the g-sensor numbers unscaled. We read them as a 12-bit
// sensor's range in g and its counts per g (its example "4,512" is exactly that: ±2048
// counts over ±4 g), so each axis is its count divided by the second number.
#include "track/readers/CameraReader.h"

#include "track/CGSampleStore.h"
#include "track/CMapTrackStore.h"
#include "track/CSpeedDialModel.h"
#include "track/Mp4TextSamples.h"
#include "track/NmeaLogSeconds.h"
#include "track/TrackLine.h"
#include "track/Truncate.h"

#include <array>
#include <charconv>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr std::string_view kSensorTag = "gsensori,";

bool IsThinkwareCue(std::string_view text) {
    return text.starts_with(kSensorTag);
}

// The accelerations of a cue in g; none when its numbers are not five integers with a
// positive scale.
std::optional<std::array<double, 3>> SensorOf(std::string_view text) {
    const size_t semicolon = text.find(';');
    const std::string_view fields = text.substr(
        kSensorTag.size(), semicolon == std::string_view::npos ? std::string_view::npos
                                                               : semicolon - kSensorTag.size());
    std::array<long, 5> numbers{};
    const char* at = fields.data();
    const char* const end = fields.data() + fields.size();
    for (size_t i = 0; i < numbers.size(); ++i) {
        const auto [next, error] = std::from_chars(at, end, numbers[i]);
        const bool last = i + 1 == numbers.size();
        if (error != std::errc() || (last ? next != end : next == end || *next != ',')) {
            return std::nullopt;
        }
        at = last ? next : next + 1;
    }
    const long perG = numbers[1];
    if (perG <= 0) {
        return std::nullopt;
    }
    const auto g = [perG](long count) {
        return static_cast<double>(count) / static_cast<double>(perG);
    };
    return std::array<double, 3>{g(numbers[2]), g(numbers[3]), g(numbers[4])};
}

// The cue's RMC sentence as an NMEA line ("$..RMC,...\n"); empty when it has none.
std::string RmcLineOf(std::string_view text) {
    const size_t rmc = text.find("RMC,");
    if (rmc == std::string_view::npos || rmc < 3 || text[rmc - 3] != ';') {
        return {};
    }
    const size_t end = text.find_first_of(";\r\n", rmc);
    std::string line = "$";
    line += text.substr(rmc - 2, end == std::string_view::npos ? end : end - (rmc - 2));
    return line + "\n";
}

struct Cue {
    double seconds;
    std::string rmc;
    std::optional<std::array<double, 3>> sensor;
};

class ThinkwareReader : public CameraReader {
public:
    std::string_view Family() const override { return "Thinkware text track"; }

    bool Claims(ByteSource& bytes) const override {
        bool first = true;
        bool thinkware = false;
        ForEachMp4TextSample(bytes, [&](const TextSample& sample) {
            // ffmpeg-like muxers open a track that starts late with an empty cue.
            if (first && !sample.text.empty()) {
                thinkware = IsThinkwareCue(sample.text);
                first = false;
            }
        });
        return thinkware;
    }

    ReaderOutcome Read(const ReaderInput& input, const TrackStores& stores) const override {
        ReaderOutcome outcome;
        std::vector<Cue> cues;
        bool checksummed = false;
        int firstTrack = -1;
        ForEachMp4TextSample(input.bytes, [&](const TextSample& sample) {
            if (!IsThinkwareCue(sample.text) || (firstTrack >= 0 && sample.track != firstTrack)) {
                return;
            }
            firstTrack = sample.track;
            Cue cue{sample.seconds, RmcLineOf(sample.text), SensorOf(sample.text)};
            if (cue.rmc.empty() || !cue.sensor) {
                outcome.damagedAt = outcome.damagedAt.value_or(sample.offset);
            }
            checksummed = checksummed || NmeaLogSeconds::IsChecksummed(cue.rmc);
            cues.push_back(std::move(cue));
        });
        outcome.found = !cues.empty();
        Place(cues, checksummed, stores, outcome);
        if (!outcome.fix) {
            outcome.why = outcome.found ? "no valid fix" : "no Thinkware cues";
        }
        return outcome;
    }

private:
    // As the NMEA text track: second 0 is the cue that carries the first time, each later
    // sentence counts from it by its own time, so a lost cue moves no other second.
    static void Place(const std::vector<Cue>& cues, bool checksummed, const TrackStores& stores,
                      ReaderOutcome& outcome) {
        NmeaLogSeconds seconds(checksummed, stores.map.LastSecond());
        int start = 0;
        for (const Cue& cue : cues) {
            if (!seconds.Started()) {
                start = std::isfinite(cue.seconds) && cue.seconds < kMaxTrackSecond
                            ? static_cast<int>(std::lround(cue.seconds * 1000) / 1000)
                            : 0;
            }
            seconds.Feed(cue.rmc, [&](int logSecond, const CNMEAParser& parser) {
                const int second = start + logSecond;
                if (second > stores.map.LastSecond()) {
                    return;
                }
                stores.map.PutEntry(second, parser.m_dRMCLatitude, parser.m_dRMCLongitude,
                                    parser.m_RMCStatus, RmcUtcTime(parser));
                stores.dial.SetSpeedRecord(second, DialSpeedFromKnots(parser.m_dRMCGroundSpeed),
                                           TruncateToInt(parser.m_dRMCCourse));
                if (cue.sensor) {
                    const auto& [x, y, z] = *cue.sensor;
                    stores.chart.AddTrackLine(EmbeddedTrackLine(second * 1000, x, y, z).c_str());
                }
                outcome.fix = outcome.fix || stores.map.HasPosition(second);
            });
        }
    }
};

} // namespace

const CameraReader& ThinkwareInClipReader() {
    static const ThinkwareReader reader;
    return reader;
}
