// The Nextbase 322GW and its kin write one binary sample a second into a text track of the
// clip: after the cue's 16-bit length (288), 4 unknown bytes, the camera's clock as 14
// digits (%Y%m%d%H%M%S), three little-endian i32 accelerations (y, x, z as the public
// description orders them; g is y / -1280, x / 1280 and z / 1280), then an RMC and a GGA
// sentence, each NUL-padded to 128 bytes. The last 2 of the 288 bytes are undescribed.
// The camera's clock is its own setting, so the time of day and the date come from the RMC.
// These cameras write checksums that do not validate; they are ignored, but a sentence whose
// checksum is missing where the others have one was cut short and is dropped.
#include "track/readers/CameraReader.h"

#include "track/CGSampleStore.h"
#include "track/CMapTrackStore.h"
#include "track/CSpeedDialModel.h"
#include "track/Mp4TextSamples.h"
#include "track/NmeaLogSeconds.h"
#include "track/TrackLine.h"
#include "track/Truncate.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr size_t kSampleBytes = 288;
constexpr size_t kClockAt = 4;
constexpr size_t kClockDigits = 14;
constexpr size_t kAccelerationsAt = kClockAt + kClockDigits;
constexpr size_t kRmcAt = kAccelerationsAt + 12;
constexpr size_t kSentenceBytes = 128;
constexpr size_t kGgaAt = kRmcAt + kSentenceBytes;
constexpr double kCountsPerG = 1280.0;

bool IsNextbaseSample(std::string_view text) {
    return text.size() == kSampleBytes &&
           std::all_of(text.begin() + kClockAt, text.begin() + kAccelerationsAt,
                       [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; });
}

int32_t LittleEndian(std::string_view text, size_t at) {
    uint32_t value = 0;
    for (size_t i = 4; i-- > 0;) {
        value = value << 8 | static_cast<unsigned char>(text[at + i]);
    }
    return static_cast<int32_t>(value);
}

// The sentence of a 128-byte field: up to its first NUL or line end.
std::string_view SentenceAt(std::string_view text, size_t at) {
    const std::string_view field = text.substr(at, kSentenceBytes);
    return field.substr(0, field.find_first_of(std::string_view("\0\r\n", 3)));
}

bool IsHex(char c) {
    return std::isxdigit(static_cast<unsigned char>(c)) != 0;
}

// The sentence as a line the parser takes whatever its checksum: "$...\n" without the
// "*hh". Empty when it is no sentence, or when `checksummed` and its checksum is missing.
std::string LineOf(std::string_view sentence, bool checksummed) {
    if (!sentence.starts_with('$')) {
        return {};
    }
    const size_t star = sentence.find('*');
    if (star != std::string_view::npos) {
        if (star + 3 != sentence.size() || !IsHex(sentence[star + 1]) ||
            !IsHex(sentence[star + 2])) {
            return {};
        }
        sentence = sentence.substr(0, star);
    } else if (checksummed) {
        return {};
    }
    return std::string(sentence) + "\n";
}

// Whether an RMC line names a latitude of its own: a receiver without one leaves the field
// empty, and the parser keeps an older value there.
bool RmcGivesPosition(std::string_view line) {
    size_t at = 0;
    for (int field = 0; field < 3; ++field) {
        at = line.find(',', at);
        if (at == std::string_view::npos) {
            return false;
        }
        ++at;
    }
    return at < line.size() && line[at] != ',';
}

struct Sample {
    double seconds;
    std::string rmc; // as LineOf gives it
    std::string gga;
    std::array<double, 3> g; // x, y, z
};

class NextbaseReader : public CameraReader {
public:
    std::string_view Family() const override { return "Nextbase subtitles"; }

    bool Claims(ByteSource& bytes) const override {
        bool first = true;
        bool nextbase = false;
        ForEachMp4TextSample(bytes, [&](const TextSample& sample) {
            // ffmpeg-like muxers open a track that starts late with an empty cue.
            if (first && !sample.text.empty()) {
                nextbase = IsNextbaseSample(sample.text);
                first = false;
            }
        });
        return nextbase;
    }

    ReaderOutcome Read(const ReaderInput& input, const TrackStores& stores) const override {
        ReaderOutcome outcome;
        const std::vector<Sample> samples = SamplesOf(input.bytes, outcome);
        outcome.found = !samples.empty() || outcome.damagedAt.has_value();
        Place(samples, stores, outcome);
        if (!outcome.fix) {
            outcome.why = outcome.found ? "no valid fix" : "no Nextbase samples";
        }
        return outcome;
    }

private:
    // The samples of the first track whose first text is a Nextbase sample; one of another
    // shape, or whose RMC is cut short, is damage.
    static std::vector<Sample> SamplesOf(ByteSource& bytes, ReaderOutcome& outcome) {
        struct Kept {
            double seconds;
            uint64_t offset;
            std::string text;
        };
        std::vector<Kept> kept;
        int track = -1;
        ForEachMp4TextSample(bytes, [&](const TextSample& sample) {
            if (sample.text.empty() || (track >= 0 && sample.track != track)) {
                return;
            }
            if (IsNextbaseSample(sample.text)) {
                track = sample.track;
                kept.push_back({sample.seconds, sample.offset, std::string(sample.text)});
            } else if (track >= 0) {
                kept.push_back({sample.seconds, sample.offset, {}});
            }
        });
        bool checksummed = false;
        for (const Kept& k : kept) {
            checksummed =
                checksummed ||
                (!k.text.empty() && NmeaLogSeconds::IsChecksummed(SentenceAt(k.text, kRmcAt)));
        }
        std::vector<Sample> samples;
        for (const Kept& k : kept) {
            std::string rmc = k.text.empty() ? "" : LineOf(SentenceAt(k.text, kRmcAt), checksummed);
            if (!rmc.starts_with("$GPRMC,") && !rmc.starts_with("$GNRMC,")) {
                outcome.damagedAt = outcome.damagedAt.value_or(k.offset);
                continue;
            }
            // Their order in the sample is y, x, z; y counts the other way.
            const std::string_view text = k.text;
            const std::array<double, 3> g{LittleEndian(text, kAccelerationsAt + 4) / kCountsPerG,
                                          LittleEndian(text, kAccelerationsAt) / -kCountsPerG,
                                          LittleEndian(text, kAccelerationsAt + 8) / kCountsPerG};
            samples.push_back(
                {k.seconds, std::move(rmc), LineOf(SentenceAt(text, kGgaAt), checksummed), g});
        }
        return samples;
    }

    // As the NMEA text track: second 0 is the sample that carries the first time, each later
    // RMC counts from it by its own time, so a lost sample moves no other second.
    static void Place(const std::vector<Sample>& samples, const TrackStores& stores,
                      ReaderOutcome& outcome) {
        NmeaLogSeconds seconds(false, stores.map.LastSecond());
        int start = 0;
        for (const Sample& sample : samples) {
            if (!seconds.Started()) {
                start = std::isfinite(sample.seconds) && sample.seconds < kMaxTrackSecond
                            ? static_cast<int>(std::lround(sample.seconds * 1000) / 1000)
                            : 0;
            }
            // The GGA goes first, so the parser holds this sample's when the RMC is taken.
            seconds.Feed(sample.gga + sample.rmc, [&](int logSecond, const CNMEAParser& parser) {
                const int second = start + logSecond;
                if (second > stores.map.LastSecond()) {
                    return;
                }
                const bool ownGga = !sample.gga.empty() && parser.m_btGGAGPSQuality > 0 &&
                                    parser.m_nGGATimeOfDayMs == parser.m_nRMCTimeOfDayMs;
                if (RmcGivesPosition(sample.rmc) || !ownGga) {
                    stores.map.PutEntry(second, parser.m_dRMCLatitude, parser.m_dRMCLongitude,
                                        parser.m_RMCStatus, RmcUtcTime(parser));
                } else {
                    stores.map.PutEntry(second, parser.m_dGGALatitude, parser.m_dGGALongitude, 'A',
                                        RmcUtcTime(parser));
                }
                stores.dial.SetSpeedRecord(second, DialSpeedFromKnots(parser.m_dRMCGroundSpeed),
                                           TruncateToInt(parser.m_dRMCCourse));
                const auto& [x, y, z] = sample.g;
                stores.chart.AddTrackLine(EmbeddedTrackLine(second * 1000, x, y, z).c_str());
                outcome.fix = outcome.fix || stores.map.HasPosition(second);
            });
        }
    }
};

} // namespace

const CameraReader& NextbaseInClipReader() {
    static const NextbaseReader reader;
    return reader;
}
