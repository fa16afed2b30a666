// The PES packets that cameras put their GPS records in, gathered from a transport stream's
// 188-byte packets (192 with the time code of Blu-ray and some cameras). A record may span
// packets of its packet id; other packets (video, audio, tables) lie between them. The
// stream is walked once from start to end in runs of whole packets.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>

#include "track/ByteSource.h"

struct TsPacketShape {
    size_t stride = 0; // 188, or 192 with a time code
    size_t lead = 0;   // bytes before the sync byte
};

// The shape when the file opens with three packets in step (two when it holds only two).
std::optional<TsPacketShape> TsShapeOf(ByteSource& bytes);

struct TsPes {
    std::span<const unsigned char> data; // after the PES header
    uint64_t at = 0;                     // the packet it starts in
    bool whole = false;                  // all the bytes its length promised
};

class TsPesWalk {
public:
    // Whether the PES packets of a stream id are wanted; others are passed over.
    using Wanted = std::function<bool(unsigned streamId)>;

    TsPesWalk(TsPacketShape shape, Wanted wanted);

    // Hands each wanted PES to `take` as it ends. Returns where the packet step was lost, if
    // it was before the file's end; the bytes from there on cannot be told from video, except
    // a box that runs exactly to the end, which some cameras append after their packets.
    std::optional<uint64_t> Walk(ByteSource& bytes, const std::function<void(const TsPes&)>& take);

private:
    TsPacketShape m_shape;
    Wanted m_wanted;
};

// Whether the bytes from `at` to the end are one box (a size and a printable type).
bool TsTrailerBoxAt(ByteSource& bytes, uint64_t at);
