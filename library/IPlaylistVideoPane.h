// What the playlist asks of the video pane: whether an open would be accepted now, the open
// itself and stopping. The wiring root hands in the real pane (app/CVideoPaneLink); tests hand
// in their own.
#pragma once

#include <QString>

class IPlaylistVideoPane {
public:
    virtual ~IPlaylistVideoPane() = default;

    // False while an open would be refused (within a second of the last accepted one).
    virtual bool WouldAcceptOpen() const = 0;
    // True when the clip opened and its playback started.
    virtual bool OpenClip(const QString& path) = 0;
    virtual void StopClip() = 0;
};
