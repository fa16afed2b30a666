#include "track/readers/CameraReaders.h"

#include <array>

// Each family's reader file defines its own.
const CameraReader& FreeGpsBlocksReader();
const CameraReader& BlackVueInClipReader();
const CameraReader& BlackVueBesideReader();
const CameraReader& NmeaInClipReader();
const CameraReader& NmeaBesideReader();
const CameraReader& SeventyMaiInClipReader();
const CameraReader& SeventyMaiBesideReader();
const CameraReader& DjiSrtBesideReader();

std::span<const CameraReader* const> CameraReaders() {
    static const std::array kReaders{
        &SeventyMaiInClipReader(), &FreeGpsBlocksReader(),  &BlackVueInClipReader(),
        &NmeaInClipReader(),       &BlackVueBesideReader(), &NmeaBesideReader(),
        &SeventyMaiBesideReader(), &DjiSrtBesideReader(),
    };
    return kReaders;
}
