// The freeGPS layouts whose cameras write a second as text rather than as binary fields:
// AZDome (digits behind an XOR mask), Nextbase 512GW (NMEA sentences in the box) and the
// cameras that store their RMC sentence with every byte raised by 16. Their text reaches
// further into the box than the binary layouts do, so each decoder takes the bytes from the
// marker as far as its box and the read window allow, and never reads past them.
#pragma once

#include <cstdint>
#include <span>

#include "track/FreeGpsBlock.h"

// How far into a text layout's box its decoder looks, counted from the marker.
constexpr uint64_t kTextBlockWindow = 4096;

// Each gives a second without fix when its text is cut short, has digits missing or
// letters where digits belong, or a hemisphere that is neither N/S nor E/W.
FreeGpsBlock DecodeAzdomeBlock(std::span<const unsigned char> fromMarker, uint64_t offset);
FreeGpsBlock DecodeNmeaTextBlock(std::span<const unsigned char> fromMarker, uint64_t offset);
FreeGpsBlock DecodeShiftedRmcBlock(std::span<const unsigned char> fromMarker, uint64_t offset);
