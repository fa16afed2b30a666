#include "track/ClipTrackLoader.h"

#include "track/CGSampleStore.h"
#include "track/CMapTrackStore.h"
#include "track/CSpeedDialModel.h"
#include "track/CameraExtras.h"
#include "track/ClipFile.h"
#include "track/Mp4ClipTime.h"
#include "track/RegularFileRead.h"
#include "track/SidecarLog.h"
#include "track/TrackDispatch.h"
#include "track/TrackLine.h"
#include "track/readers/CameraReaders.h"

#include <cstring>
#include <iostream>

namespace {

// Takes the reader's outcome into the loader's, and says damage on standard error: the
// track keeps what the reader could read, and the user's log shows where it stopped.
void Take(const CameraReader& reader, const ReaderOutcome& read, TrackSourceOutcome& outcome) {
    outcome.family = std::string(reader.Family());
    outcome.gave = read.fix;
    outcome.why = read.fix ? std::string() : read.why;
    outcome.damagedAt = read.damagedAt;
    if (read.damagedAt) {
        std::cerr << "ostvik: " << outcome.path << ": " << reader.Family() << " damaged at byte "
                  << *read.damagedAt << "\n";
    }
}

} // namespace

bool LoadEmbeddedTrack(const std::string& clipPath, const TrackStores& stores) {
    TrackSourceOutcome outcome{.path = clipPath};
    return LoadEmbeddedTrack(clipPath, stores, outcome);
}

bool LoadEmbeddedTrack(const std::string& clipPath, const TrackStores& stores,
                       TrackSourceOutcome& outcome) {
    stores.map.Clear();
    stores.chart.ResetTrack(0);
    stores.dial.ClearSpeedRecords();
    if (stores.extras != nullptr) {
        stores.extras->Clear();
    }

    ClipFile file;
    const bool opened = file.Open(clipPath);
    // Every source of the clip's track, read now or later (its logs, its sidecar, the
    // engine's lines), stops at the clip's end.
    const int lastSecond = opened ? LastTrackSecond(file) : kMaxTrackSecond;
    stores.map.SetLastSecond(lastSecond);
    stores.chart.SetLastTrackSecond(lastSecond);
    stores.dial.SetLastSecond(lastSecond);
    if (stores.extras != nullptr) {
        stores.extras->SetLastSecond(lastSecond);
    }
    if (!opened) {
        outcome.why = std::string("cannot open the clip: ") + std::strerror(file.LastError());
        return false;
    }
    const ClipFolder folder(clipPath);
    std::string damage;
    for (const CameraReader* reader : CameraReaders()) {
        if (reader->ReadsBeside() || !reader->Claims(file)) {
            continue;
        }
        const ReaderOutcome read = reader->Read({file, clipPath, &folder}, stores);
        if (read.found) {
            Take(*reader, read, outcome);
            return outcome.gave;
        }
        if (read.damagedAt && !outcome.damagedAt) {
            Take(*reader, read, outcome);
            damage = "; " + std::string(reader->Family()) + ": " + read.why;
        }
    }
    outcome.family.clear();
    outcome.why = "no camera's track data in the clip" + damage;
    return false;
}

ClipTrackLoader::ClipTrackLoader(const std::string& clipPath) : m_folder(clipPath) {}

const std::string& ClipTrackLoader::SidecarPath() const {
    if (!m_sidecarPath) {
        m_sidecarPath = m_folder.Beside(".TXT");
    }
    return *m_sidecarPath;
}

bool ClipTrackLoader::LoadEmbedded(const TrackStores& stores) {
    TrackSourceOutcome outcome{.source = "embedded", .path = m_folder.ClipPath()};
    LoadEmbeddedTrack(m_folder.ClipPath(), stores, outcome);
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
    m_outcomes.push_back(LoadBesideLogs(stores));
    return m_outcomes.back().gave;
}

// The first reader of a file beside the clip whose file is there reads it, fix or not.
TrackSourceOutcome ClipTrackLoader::LoadBesideLogs(const TrackStores& stores) {
    for (const CameraReader* reader : CameraReaders()) {
        if (!reader->ReadsBeside()) {
            continue;
        }
        const std::optional<std::string> path = reader->FileBeside(m_folder);
        ClipFile file;
        if (!path || !file.Open(*path) || !reader->Claims(file)) {
            continue;
        }
        TrackSourceOutcome outcome{.source = std::string(reader->Family()), .path = *path};
        const ReaderOutcome read = reader->Read({file, *path, &m_folder}, stores);
        Take(*reader, read, outcome);
        if (read.found) {
            return outcome;
        }
    }
    return {.source = "logs beside the clip",
            .path = m_folder.ClipPath(),
            .why = "none of a camera's logs is there"};
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
