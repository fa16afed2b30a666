// BlackVue cameras keep their track as NMEA lines stamped with unix milliseconds and
// 10-byte G-sensor records: in `gps ` and `3gf ` boxes of the clip, or in NAME.gps and
// NAME.3gf beside it.
#include "track/readers/CameraReader.h"

#include "track/BlackVueTrack.h"
#include "track/ClipFolder.h"

#include <filesystem>
#include <system_error>

namespace {

ReaderOutcome FillFrom(const BlackVueTrack& track, const TrackStores& stores) {
    ReaderOutcome outcome{.found = true};
    outcome.fix = FillBlackVueTrack(track, stores);
    if (!outcome.fix) {
        outcome.why = "no valid fix";
    }
    return outcome;
}

class BlackVueBoxesReader : public CameraReader {
public:
    std::string_view Family() const override { return "BlackVue boxes"; }
    bool Claims(ByteSource& /*bytes*/) const override { return true; }
    ReaderOutcome Read(const ReaderInput& input, const TrackStores& stores) const override {
        if (const std::optional<BlackVueTrack> track = ReadBlackVueBoxes(input.bytes)) {
            return FillFrom(*track, stores);
        }
        return {.why = "no BlackVue boxes"};
    }
};

class BlackVueLogsReader : public CameraReader {
public:
    std::string_view Family() const override { return "BlackVue logs"; }
    bool ReadsBeside() const override { return true; }
    // A camera that lost its receiver still writes the .3gf, and its G-sensor chart is
    // worth showing without a .gps.
    std::optional<std::string> FileBeside(const ClipFolder& folder) const override {
        for (const char* extension : {".gps", ".3gf"}) {
            std::string log = folder.Beside(extension);
            std::error_code error;
            if (std::filesystem::is_regular_file(log, error)) {
                return log;
            }
        }
        return std::nullopt;
    }
    bool Claims(ByteSource& /*bytes*/) const override { return true; }
    // Both logs are read through the folder, whichever of them was named.
    ReaderOutcome Read(const ReaderInput& input, const TrackStores& stores) const override {
        if (input.folder == nullptr) {
            return {.why = "no folder to find the logs in"};
        }
        if (const std::optional<BlackVueTrack> track = ReadBlackVueSidecars(*input.folder)) {
            return FillFrom(*track, stores);
        }
        return {.why = "no BlackVue logs"};
    }
};

} // namespace

const CameraReader& BlackVueInClipReader() {
    static const BlackVueBoxesReader reader;
    return reader;
}

const CameraReader& BlackVueBesideReader() {
    static const BlackVueLogsReader reader;
    return reader;
}
