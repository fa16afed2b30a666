// How a clip's track is loaded, for the player and for the track tool alike: the one order
// in which its sources are tried, as three steps the player takes at their own moments.
//   1. LoadEmbedded, before the clip opens: the data the camera put in the clip, read by
//      the first of the table's readers of the clip (CameraReaders) that finds its own.
//   2. LoadLogs, once the clip opened and only when step 1 gave no valid fix: the sidecar
//      .TXT read as an NMEA log, and when that gave none either, the first of the table's
//      readers of a file beside the clip that finds its file.
//   3. ReadSidecarLines, when the clip starts: the sidecar's lines of a .MOV or .AVI, each
//      a second of G-sensor values and a sentence.
// The clip's folder is listed at most once, and the sidecar read at most once, for all
// three. Each
// source tried leaves an outcome saying what it gave, or why nothing.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "track/ClipFolder.h"
#include "track/TrackSourceOutcome.h"
#include "track/TrackStores.h"

class ClipTrackLoader {
public:
    explicit ClipTrackLoader(const std::string& clipPath);

    const ClipFolder& Folder() const { return m_folder; }
    // The .TXT beside the clip, whatever its letter case.
    const std::string& SidecarPath() const;

    bool LoadEmbedded(const TrackStores& stores);
    bool LoadLogs(const TrackStores& stores);
    // Hands each line to `emit`; returns how many.
    int ReadSidecarLines(const std::function<void(const std::string& line)>& emit);

    const std::vector<TrackSourceOutcome>& Outcomes() const { return m_outcomes; }

private:
    const std::optional<std::string>& SidecarBytes();
    TrackSourceOutcome LoadBesideLogs(const TrackStores& stores);

    ClipFolder m_folder;
    mutable std::optional<std::string> m_sidecarPath; // looked up when first asked for
    bool m_sidecarRead = false;
    std::optional<std::string> m_sidecarBytes;
    std::string m_sidecarRefusal;
    std::vector<TrackSourceOutcome> m_outcomes;
};

// Empties the stores and bounds each at the clip's last second (LastTrackSecond),
// which every later source of the clip's track keeps to; then reads the clip with the
// first reader of its own bytes that finds its data. True when that gave a valid fix;
// `why` says otherwise what the clip held, and `family` names the reader that found data.
bool LoadEmbeddedTrack(const std::string& clipPath, const TrackStores& stores);
bool LoadEmbeddedTrack(const std::string& clipPath, const TrackStores& stores,
                       TrackSourceOutcome& outcome);

struct ClipTrackLoad {
    bool embeddedFix = false;
    bool nmeaLogFix = false;
    int sidecarLines = 0;
    std::vector<TrackSourceOutcome> outcomes;
};

// The three steps in a row, the sidecar's lines through the process-wide dispatch, whose
// consumers must already lead to `stores`.
ClipTrackLoad LoadClipTrack(const std::string& clipPath, const TrackStores& stores);

// The same with the sidecar's lines handed to `lines`, so several clips can load at once,
// each into its own stores.
ClipTrackLoad LoadClipTrack(const std::string& clipPath, const TrackStores& stores,
                            const std::function<void(const std::string& line)>& lines);
