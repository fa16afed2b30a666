// The player's sound output volume, in levels 0 to 65535, and its mute switch. It is the
// player's own volume (mpv's, 0 to 100 %), never the system's master volume. Every object
// sees the same setting; a change made through one reaches the sinks of all the others.
// The setting may be read and changed before the engine is open; it is applied when the
// engine opens and kept across a close. UI thread only.
#pragma once

#include "playback/SoundLevel.h"

class ISoundOutputVolumeNotify;

class CSoundOutputVolumeImpl {
public:
    CSoundOutputVolumeImpl() = default;
    CSoundOutputVolumeImpl(const CSoundOutputVolumeImpl&) = delete;
    CSoundOutputVolumeImpl& operator=(const CSoundOutputVolumeImpl&) = delete;
    virtual ~CSoundOutputVolumeImpl();

    bool Initialize(ISoundOutputVolumeNotify* sink);
    unsigned long GetMinVolume() const { return kMinLevel; }
    unsigned long GetMaxVolume() const { return kMaxLevel; }
    unsigned long GetCurrentVolume() const;
    // Levels above the maximum are taken as the maximum.
    void SetCurrentVolume(unsigned long volume);
    bool IsMute() const;
    void Mute(bool mute);
    void Finalize();

    // Level to mpv's percent and back; a level survives the round trip exactly.
    static double PercentFromLevel(unsigned long level) { return SoundPercentFromLevel(level); }
    static unsigned long LevelFromPercent(double percent) { return SoundLevelFromPercent(percent); }

    static constexpr unsigned long kMinLevel = 0;
    static constexpr unsigned long kMaxLevel = kMaxSoundLevel;

private:
    ISoundOutputVolumeNotify* m_sink = nullptr;
};
