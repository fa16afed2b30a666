#include "track/readers/CameraReaders.h"

#include <array>

// Each family's reader file defines its own.
const CameraReader& ThinkwareInClipReader();
const CameraReader& GarminInClipReader();
const CameraReader& FreeGpsBlocksReader();
const CameraReader& BlackVueInClipReader();
const CameraReader& BlackVueBesideReader();
const CameraReader& NmeaInClipReader();
const CameraReader& NmeaBesideReader();
const CameraReader& SeventyMaiBesideReader();

std::span<const CameraReader* const> CameraReaders() {
    static const std::array kReaders{
        &ThinkwareInClipReader(), &GarminInClipReader(),     &FreeGpsBlocksReader(),
        &BlackVueInClipReader(),  &NmeaInClipReader(),       &BlackVueBesideReader(),
        &NmeaBesideReader(),      &SeventyMaiBesideReader(),
    };
    return kReaders;
}
