// One clip's track as a value: the per-second stores the clip's loading steps fill,
// the sensor lines its sidecar gave, and what each source tried gave. Many can be held at
// once (a drive holds one per clip, the track tool one per thread), each loaded without
// touching the process-wide dispatch or any pane.
#pragma once

#include <string>
#include <vector>

#include "track/CGSampleStore.h"
#include "track/CMapTrackStore.h"
#include "track/CSpeedDialModel.h"
#include "track/CameraExtras.h"
#include "track/TrackSourceOutcome.h"
#include "track/TrackStores.h"

class ClipTrack {
public:
    ClipTrack();
    // The stores point at each other, so a track stays where it was made.
    ClipTrack(const ClipTrack&) = delete;
    ClipTrack& operator=(const ClipTrack&) = delete;

    // Runs the player's loading steps on the clip, in the player's order, into this
    // track's own stores; the sidecar's lines go to the chart and map as the dispatch
    // would send them.
    void Load(const std::string& clipPath);

    const TrackStores& Stores() const { return m_stores; }
    const CMapTrackStore& Map() const { return m_map; }
    const CGSampleStore& Chart() const { return m_chart; }
    const CSpeedDialModel& Dial() const { return m_dial; }
    const CameraExtras& Extras() const { return m_extras; }
    // The stores themselves, for the player's session, which fills them step by step as the
    // clip is picked, opened and started; the panes showing them keep what they last showed
    // in them.
    CMapTrackStore& Map() { return m_map; }
    CGSampleStore& Chart() { return m_chart; }
    CSpeedDialModel& Dial() { return m_dial; }
    const std::vector<std::string>& SidecarLines() const { return m_lines; }
    const std::vector<TrackSourceOutcome>& Outcomes() const { return m_outcomes; }

private:
    CMapTrackStore m_map;
    CGSampleStore m_chart;
    CSpeedDialModel m_dial;
    CameraExtras m_extras;
    TrackStores m_stores;
    std::vector<std::string> m_lines;
    std::vector<TrackSourceOutcome> m_outcomes;
};
