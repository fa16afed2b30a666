// Decodes arbitrary bytes as one freeGPS block in whatever layout they look like: from
// memory, with the whole input as the box so the text layouts read as far as it goes, and
// through a source, as the scan and the index read a block.
#include "track/CameraBlockLayouts.h"
#include "track/MemoryBytes.h"
#include "track/Truncate.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

void Use(const FreeGpsBlock& decoded) {
    volatile uint64_t sink = static_cast<uint64_t>(decoded.utcTime) ^
                             static_cast<uint64_t>(TruncateToInt(decoded.speed)) ^
                             static_cast<uint64_t>(TruncateToInt(decoded.course)) ^
                             static_cast<uint64_t>(TruncateToInt(decoded.latitude)) ^
                             static_cast<uint64_t>(TruncateToInt(decoded.longitude)) ^
                             static_cast<uint64_t>(TruncateToInt(decoded.x));
    (void)sink;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Inputs start at the marker; the box's size field in front of it covers the input,
    // which is padded with zeros to a block when shorter.
    std::vector<unsigned char> box(4 + std::max<size_t>(size, kCameraBlockLength));
    std::memcpy(box.data() + 4, data, size);
    const auto boxSize = static_cast<uint32_t>(std::min<size_t>(box.size(), UINT32_MAX));
    for (int i = 0; i < 4; ++i) {
        box[static_cast<size_t>(i)] = static_cast<unsigned char>(boxSize >> (24 - 8 * i));
    }
    const std::span<const unsigned char> fromMarker(box.data() + 4, box.size() - 4);
    Use(DecodeCameraBlock(fromMarker, 4));
    MemoryBytes source(box.data(), box.size());
    Use(ReadCameraBlock(source, 4, fromMarker.first<kCameraBlockLength>()));
    return 0;
}
