// What a user of the sound output volume implements to follow changes made elsewhere: by
// the other volume object, or by the player itself. Called on the UI thread.
#pragma once

class ISoundOutputVolumeNotify {
public:
    virtual ~ISoundOutputVolumeNotify() = default;
    virtual void OnVolumeChange(unsigned long volume) = 0;
    virtual void OnMuteChange(bool mute) = 0;
};
