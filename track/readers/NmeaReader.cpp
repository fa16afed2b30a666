// NMEA text as cameras keep it: sentences in a text track of the clip (Nextbase among
// others), or a plain NAME.NMEA log beside the clip.
#include "track/readers/CameraReader.h"

#include "track/CMapTrackStore.h"
#include "track/ClipFolder.h"
#include "track/NmeaTextTrack.h"
#include "track/SidecarLog.h"

#include <filesystem>
#include <system_error>

namespace {

// Read only after the clip gave no blocks: its G-sensor values cannot come from NMEA.
class NmeaTextTrackReader : public CameraReader {
public:
    std::string_view Family() const override { return "NMEA text track"; }
    bool Claims(ByteSource& /*bytes*/) const override { return true; }
    ReaderOutcome Read(const ReaderInput& input, const TrackStores& stores) const override {
        ReaderOutcome outcome;
        outcome.fix = LoadNmeaTextTrack(input.bytes, stores);
        outcome.found = outcome.fix || stores.map.size() > 0;
        if (!outcome.fix) {
            outcome.why = "no NMEA text track with a valid fix";
        }
        return outcome;
    }
};

class NmeaLogReader : public CameraReader {
public:
    std::string_view Family() const override { return "NMEA log"; }
    bool ReadsBeside() const override { return true; }
    std::optional<std::string> FileBeside(const ClipFolder& folder) const override {
        std::string log = folder.Beside(".NMEA");
        std::error_code error;
        if (std::filesystem::is_regular_file(log, error)) {
            return log;
        }
        return std::nullopt;
    }
    bool Claims(ByteSource& /*bytes*/) const override { return true; }
    ReaderOutcome Read(const ReaderInput& input, const TrackStores& stores) const override {
        ReaderOutcome outcome{.found = true};
        if (input.bytes.Length() > kMaxNmeaTextBytes) {
            outcome.why = "larger than any log";
            return outcome;
        }
        const std::span<const unsigned char> read =
            input.bytes.Read(0, static_cast<size_t>(input.bytes.Length()));
        outcome.fix = stores.map.LoadNmeaText(std::string(read.begin(), read.end()));
        if (!outcome.fix) {
            outcome.why = "no valid fix";
        }
        return outcome;
    }
};

} // namespace

const CameraReader& NmeaInClipReader() {
    static const NmeaTextTrackReader reader;
    return reader;
}

const CameraReader& NmeaBesideReader() {
    static const NmeaLogReader reader;
    return reader;
}
