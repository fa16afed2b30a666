// The SEI user data of an H.264 video track in an MP4 clip: cameras that keep their track in
// the video stream itself put it in "user data unregistered" SEI messages (payload type 5:
// a 16-byte UUID, then the camera's bytes) in front of each frame's slices. The samples hold
// NAL units behind big-endian lengths of the size the track's `avcC` names; a NAL unit's
// bytes carry emulation-prevention bytes (00 00 03), taken out here.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

#include "track/ByteSource.h"
#include "track/Mp4SampleTable.h"

struct AvcTrack {
    Mp4Track track;
    int lengthBytes = 4; // of each NAL unit's length, from `avcC`
};

// The clip's first H.264 video track (`avc1` or `avc3`) with a readable `avcC`.
std::optional<AvcTrack> FindAvcTrack(ByteSource& bytes);

struct AvcUserData {
    double seconds = 0.0;                   // the sample's decoding time
    uint64_t offset = 0;                    // of the SEI NAL unit in the file
    std::span<const unsigned char> payload; // after the type and size, UUID first
};

// Calls `take` for each user-data SEI payload in the first `maxSamples` samples, in
// decoding order, until it returns false; the payload is valid during the call only. Only
// the NAL units in front of a sample's first slice are read, where SEI units must be.
// Gives the offset of the first sample or SEI unit that made no sense.
std::optional<uint64_t> ForEachAvcUserData(ByteSource& bytes, const AvcTrack& avc,
                                           uint64_t maxSamples,
                                           const std::function<bool(const AvcUserData&)>& take);
