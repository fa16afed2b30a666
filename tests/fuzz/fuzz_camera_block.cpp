// Decodes arbitrary bytes as one freeGPS block in whatever layout they look like.
#include "track/CameraBlockLayouts.h"
#include "track/Truncate.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    unsigned char block[kCameraBlockLength] = {};
    std::memcpy(block, data, size < sizeof block ? size : sizeof block);
    const FreeGpsBlock decoded =
        DecodeCameraBlock(std::span<const unsigned char, kCameraBlockLength>(block), 0);
    volatile long long sink = 0LL + TruncateToInt(decoded.speed) + TruncateToInt(decoded.course) +
                              TruncateToInt(decoded.latitude) + TruncateToInt(decoded.x);
    (void)sink;
    return 0;
}
