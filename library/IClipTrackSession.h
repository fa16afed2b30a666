// What the playlist asks of the owner of the playing clip's track when it picks a clip: load
// what the clip holds, before it opens, and its logs once it opened without a fix of its
// own. The wiring root hands in the player's session; tests hand in their own.
#pragma once

#include <QString>

class IClipTrackSession {
public:
    virtual ~IClipTrackSession() = default;

    // Empties the track and fills it from the data embedded in the clip; true when that
    // held a valid fix.
    virtual bool LoadClip(const QString& path) = 0;
    // Refills the track of the clip last loaded from its sidecar log, else other makers'
    // logs beside it.
    virtual void LoadLogs() = 0;
    // The .TXT beside the clip last loaded, whatever its letter case; empty without one.
    virtual QString SidecarPath() const = 0;
};
