// The player's volume scale: levels 0 to 65535 for the volume objects, mpv's 0 to 100 % for
// the engine. A level survives the round trip exactly.
#pragma once

#include <algorithm>
#include <cmath>

constexpr unsigned long kMaxSoundLevel = 65535;

inline double SoundPercentFromLevel(unsigned long level) {
    return static_cast<double>(std::min(level, kMaxSoundLevel)) * 100.0 / kMaxSoundLevel;
}

inline unsigned long SoundLevelFromPercent(double percent) {
    return static_cast<unsigned long>(
        std::lround(std::clamp(percent, 0.0, 100.0) * kMaxSoundLevel / 100.0));
}
