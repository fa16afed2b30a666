// What the video pane asks of the window that holds it (the hidden twins of its progress
// slider and time label, the play button's face, the speed slider) and
// of the playlist (the current clip and moving between clips). The holder registers
// itself as the one instance; until it does, the pane asks nobody.
#pragma once

#include <QString>

class IVideoPaneHost {
public:
    virtual ~IVideoPaneHost() = default;

    static IVideoPaneHost* Instance();
    static void SetInstance(IVideoPaneHost* host);

    // Main window.
    virtual void SetPlayButtonLook(bool playFace) = 0;
    virtual void SetSpeedFromSlider() = 0;
    virtual void SetProgressRange(int maximum) = 0;
    virtual void SetProgressPosition(int position) = 0;
    virtual void SetTimeText(const QString& text) = 0;

    // Playlist.
    virtual QString GetCurrentFile() const = 0;
    virtual void PlayNext() = 0;
    // The clip played to its end: a playlist that knows drives goes on within the drive.
    virtual void PlayAfterEnd() { PlayNext(); }
    virtual void PlayPrev() = 0;
    virtual void PlayCurrent() = 0;
};
