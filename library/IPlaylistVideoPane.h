// What the playlist asks of the video pane: whether an open would be accepted now, the open
// itself, a seek within the clip it opened, pausing and stopping. The wiring root hands in the real
// pane (app/CVideoPaneLink); tests hand in their own.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class IPlaylistVideoPane {
public:
    virtual ~IPlaylistVideoPane() = default;

    // False while an open would be refused (within a second of the last accepted one).
    virtual bool WouldAcceptOpen() const = 0;
    // True when the clip opened and its playback started.
    virtual bool OpenClip(const QString& path) = 0;
    virtual void StopClip() = 0;
    // Moves the clip just opened to `second`; a seek asked before its playback started is
    // kept until it starts. True when taken. A pane that cannot seek answers false.
    virtual bool SeekClip(double second) {
        static_cast<void>(second);
        return false;
    }
    // Whether the clip shown is paused, and whether one is open at all (not after it played
    // to its end or was stopped).
    virtual bool Paused() const { return false; }
    virtual bool ClipOpen() const { return true; }
    // The clip just opened stops at its first frame (or at the seek asked for) once its
    // playback starts: a review that was paused stays paused across clips.
    virtual void HoldPausedOnStart() {}

    // Plays a drive's clips as one from the start of clip `first`, nothing reopened from
    // clip to clip; false, with nothing opened, when it cannot (the clip then opens alone).
    virtual bool OpenDrive(const QStringList& clips, int first) {
        static_cast<void>(clips);
        static_cast<void>(first);
        return false;
    }
    // Moves to `second` of the open drive's clip `clip` in one step; false with no drive.
    virtual bool SeekDriveClip(int clip, double second) {
        static_cast<void>(clip);
        static_cast<void>(second);
        return false;
    }
    // Where the clip shown is, in seconds of it.
    virtual double PlayTime() const { return 0.0; }
    // Who hears of it when the open drive goes on into another of its clips.
    virtual void SetDriveClipFollower(std::function<void(const QString&)> follower) {
        static_cast<void>(follower);
    }
};
