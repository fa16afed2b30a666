// The playing clip's track and its one owner: the map's positions, the chart's samples and
// the dial's speeds of the clip the playlist picked, filled in the loader's steps at the
// moments the player reaches them (picked, opened, started). It is the only consumer of the
// track lines, the sidecar's and the engine's alike; the panes show its stores and hear of
// every change through `changed`, so no pane loads or clears another's.
#pragma once

#include "library/IClipTrackSession.h"
#include "track/ClipTrack.h"
#include "track/ClipTrackLoader.h"
#include "track/SnapshotFacts.h"
#include "track/TrackChange.h"

#include <QObject>

#include <cstdint>
#include <memory>

class CClipSession : public QObject, public IClipTrackSession {
    Q_OBJECT

public:
    // Registers the session as the track lines' consumer.
    explicit CClipSession(QObject* parent = nullptr);
    ~CClipSession() override;

    bool LoadClip(const QString& path) override;
    void LoadLogs() override;
    QString SidecarPath() const override;
    // The clip last loaded; empty before any.
    const QString& ClipPath() const { return m_clipPath; }
    // The clip's sidecar lines through the dispatch, as the clip starts; how many.
    int ReadSidecar();

    // The dispatch's two consumers.
    int AddChartLine(const char* line);
    int StoreMapLine(const char* line);

    ClipTrack& Track() { return m_track; }
    const TrackStores& Stores() const { return m_track.Stores(); }
    SnapshotFacts FactsAt(double offset) const { return SnapshotFactsAt(Stores(), offset); }
    // When the clip began, from its track; kUnknownUtc when the track does not say.
    int64_t StartUtc() const;

signals:
    void changed(const TrackChange& change);

private:
    void LogOutcomes() const;

    ClipTrack m_track;
    // The current clip's loading, kept from its choice to its start.
    std::unique_ptr<ClipTrackLoader> m_loader;
    QString m_clipPath;
};
