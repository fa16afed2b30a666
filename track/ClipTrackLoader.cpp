#include "track/ClipTrackLoader.h"

#include "track/CMapTrackStore.h"
#include "track/EmbeddedTrack.h"
#include "track/OtherSidecars.h"
#include "track/RegularFileRead.h"
#include "track/SidecarLog.h"
#include "track/TrackDispatch.h"

ClipTrackLoader::ClipTrackLoader(const std::string& clipPath) : m_folder(clipPath) {}

const std::string& ClipTrackLoader::SidecarPath() const {
    if (!m_sidecarPath) {
        m_sidecarPath = m_folder.Beside(".TXT");
    }
    return *m_sidecarPath;
}

bool ClipTrackLoader::LoadEmbedded(const TrackStores& stores) {
    TrackSourceOutcome outcome{.source = "embedded", .path = m_folder.ClipPath()};
    outcome.gave = LoadEmbeddedTrack(m_folder.ClipPath(), stores, outcome.why);
    m_outcomes.push_back(outcome);
    return outcome.gave;
}

bool ClipTrackLoader::LoadLogs(const TrackStores& stores) {
    TrackSourceOutcome log{.source = "sidecar log", .path = SidecarPath()};
    stores.map.Clear();
    if (const std::optional<std::string>& bytes = SidecarBytes()) {
        log.gave = stores.map.LoadNmeaText(*bytes);
        log.why = log.gave ? std::string() : "no valid fix";
    } else {
        log.why = m_sidecarRefusal;
    }
    m_outcomes.push_back(log);
    if (log.gave) {
        return true;
    }
    m_outcomes.push_back(LoadOtherSidecars(m_folder, stores));
    return m_outcomes.back().gave;
}

int ClipTrackLoader::ReadSidecarLines(const std::function<void(const std::string& line)>& emit) {
    TrackSourceOutcome outcome{.source = "sidecar lines"};
    int lines = 0;
    // Only a clip that has lines looks its sidecar up: for any other, the lookup could list
    // the whole folder, once per clip of a card.
    if (!CarriesSidecarLog(m_folder.ClipPath())) {
        outcome.why = "only a .MOV or .AVI clip has them";
    } else {
        outcome.path = SidecarPath();
        if (const std::optional<std::string>& bytes = SidecarBytes()) {
            lines = SidecarTrackLines(*bytes, emit);
            outcome.why = lines > 0 ? std::string() : "not a camera's sensor log";
        } else {
            outcome.why = m_sidecarRefusal;
        }
    }
    outcome.gave = lines > 0;
    m_outcomes.push_back(outcome);
    return lines;
}

// Read when a step first needs it; a refusal of a file that is there is said once on
// standard error, however many steps read it.
const std::optional<std::string>& ClipTrackLoader::SidecarBytes() {
    if (!m_sidecarRead) {
        m_sidecarRead = true;
        RegularFileRefusal refusal;
        m_sidecarBytes = ReadRegularFile(SidecarPath(), kMaxNmeaTextBytes, refusal);
        m_sidecarRefusal = refusal.missing ? "missing" : refusal.why;
        if (!m_sidecarBytes) {
            SayRefused(SidecarPath(), refusal);
        }
    }
    return m_sidecarBytes;
}

namespace {

ClipTrackLoad LoadAll(const std::string& clipPath, const TrackStores& stores,
                      const std::function<void(const std::string& line)>& lines) {
    ClipTrackLoader loader(clipPath);
    ClipTrackLoad load;
    load.embeddedFix = loader.LoadEmbedded(stores);
    if (!load.embeddedFix) {
        load.nmeaLogFix = loader.LoadLogs(stores);
    }
    load.sidecarLines = loader.ReadSidecarLines(lines);
    load.outcomes = loader.Outcomes();
    return load;
}

} // namespace

ClipTrackLoad LoadClipTrack(const std::string& clipPath, const TrackStores& stores) {
    return LoadAll(clipPath, stores, [](const std::string& line) {
        DispatchTrackLine(line.c_str(), static_cast<int>(line.size()), nullptr);
    });
}

ClipTrackLoad LoadClipTrack(const std::string& clipPath, const TrackStores& stores,
                            const std::function<void(const std::string& line)>& lines) {
    return LoadAll(clipPath, stores, lines);
}
