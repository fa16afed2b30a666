#include "track/readers/CameraReaders.h"

#include <array>

// Each family's reader file defines its own.
const CameraReader& VantrueFmasInClipReader();
const CameraReader& GoProGpmfReader();
const CameraReader& SeventyMaiInClipReader();
const CameraReader& NovatekTsReader();
const CameraReader& LigoGpsTsReader();
const CameraReader& ThinkwareInClipReader();
const CameraReader& GarminInClipReader();
const CameraReader& NextbaseInClipReader();
const CameraReader& LigoGpsInClipReader();
const CameraReader& NavitelInClipReader();
const CameraReader& TeslaInClipReader();
const CameraReader& DjiDjmdInClipReader();
const CameraReader& Insta360TrailerReader();
const CameraReader& CammTrackReader();
const CameraReader& SonyRtmdTrackReader();
const CameraReader& LigoGpsTrailerReader();
const CameraReader& FreeGpsBlocksReader();
const CameraReader& KenwoodInClipReader();
const CameraReader& BlackVueInClipReader();
const CameraReader& NmeaInClipReader();
const CameraReader& BlackVueBesideReader();
const CameraReader& NmeaBesideReader();
const CameraReader& SeventyMaiBesideReader();
const CameraReader& DjiSrtBesideReader();

std::span<const CameraReader* const> CameraReaders() {
    static const std::array kReaders{
        // In the clip, by an exact look first.
        &VantrueFmasInClipReader(), // FMAS records in a gpmd track, before GPMF takes it
        &GoProGpmfReader(),         // the gpmd track
        &SeventyMaiInClipReader(),  // the top-level GPS box
        &NovatekTsReader(),         // a transport stream's private stream
        &LigoGpsTsReader(),         // LIGOGPSINFO blocks in a transport stream's PES packets
        &ThinkwareInClipReader(),   // gsensori and RMC cues in a text track
        &GarminInClipReader(),      // PNDM records in a text track
        &NextbaseInClipReader(),    // 288-byte samples of clock, g, RMC and GGA in a text track
        &LigoGpsInClipReader(),     // LIGOGPSINFO blocks in an ssmd track
        &NavitelInClipReader(),     // top-level gps0 and gsen boxes
        &TeslaInClipReader(),       // protobuf in the video's SEI units
        &DjiDjmdInClipReader(),     // protobuf in a djmd track
        &Insta360TrailerReader(),   // GPS records in the Insta360 trailer
        &CammTrackReader(),         // GPS and acceleration packets in a camm track
        &SonyRtmdTrackReader(),     // GPS tags in an rtmd track
        &LigoGpsTrailerReader(),    // LIGOGPSINFO blocks after the movie or the packets
        &FreeGpsBlocksReader(),     // the index, else the scan of the whole clip
        &KenwoodInClipReader(),  // udta text, after the richer freeGPS blocks of the same cameras
        &BlackVueInClipReader(), // gps and 3gf boxes
        &NmeaInClipReader(),     // RMC in a text track
        // Beside the clip.
        &BlackVueBesideReader(),   // NAME.gps, NAME.3gf
        &NmeaBesideReader(),       // NAME.NMEA
        &SeventyMaiBesideReader(), // GPSData*.txt
        &DjiSrtBesideReader(),     // NAME.SRT
    };
    return kReaders;
}
