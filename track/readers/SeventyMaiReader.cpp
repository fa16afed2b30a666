// 70mai cameras: GPSData*.txt logs that cover hours of driving, kept in a GPS folder near
// the clips (SeventyMaiLog says where and how a clip takes its records).
#include "track/readers/CameraReader.h"

#include "track/ClipFolder.h"
#include "track/SeventyMaiLog.h"

namespace {

class SeventyMaiLogsReader : public CameraReader {
public:
    std::string_view Family() const override { return "70mai logs"; }
    bool ReadsBeside() const override { return true; }
    std::optional<std::string> FileBeside(const ClipFolder& folder) const override {
        const std::vector<std::string> logs = SeventyMaiLogsFor(folder);
        if (logs.empty()) {
            return std::nullopt;
        }
        return logs.front();
    }
    bool Claims(ByteSource& /*bytes*/) const override { return true; }
    // Every log is looked through, not only the one named: a clip may span two.
    ReaderOutcome Read(const ReaderInput& input, const TrackStores& stores) const override {
        if (input.folder == nullptr) {
            return {.why = "no folder to find the logs in"};
        }
        ReaderOutcome outcome{.found = true};
        outcome.fix = LoadSeventyMaiTrack(*input.folder, stores);
        if (!outcome.fix) {
            outcome.why = "no 70mai log with a fix inside the clip";
        }
        return outcome;
    }
};

} // namespace

const CameraReader& SeventyMaiBesideReader() {
    static const SeventyMaiLogsReader reader;
    return reader;
}
