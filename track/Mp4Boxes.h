// A small walker over the boxes (atoms) of an MP4 / MOV clip, enough to find the boxes
// cameras keep their track in. It reads through a ByteSource, so a clip that shrinks
// while it is walked ends the walk; sizes are 64-bit, size 0 runs to the end of the
// enclosing box, and damaged sizes end the walk of their level instead of looping.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string_view>

#include "track/ByteSource.h"

// The `count` bytes at `at` as one big-endian number, as MP4 stores its integers; the caller
// keeps at + count within `bytes` and count at most 8.
uint64_t BigEndian(std::span<const unsigned char> bytes, size_t at, size_t count);

struct Mp4Box {
    char type[4] = {};
    uint64_t begin = 0;   // of the header
    uint64_t payload = 0; // first byte after the header
    uint64_t end = 0;     // one past the last byte, at most the enclosing box's end

    bool Is(std::string_view fourcc) const { return fourcc == std::string_view(type, 4); }
};

// Calls `visit` for each box in [begin, end), in order, until it returns false.
void ForEachMp4Box(ByteSource& source, uint64_t begin, uint64_t end,
                   const std::function<bool(const Mp4Box& box)>& visit);

// The box at `path` ("moov/gps ", four characters per level, '/' between them) among the
// clip's top-level boxes; the first one on each level.
std::optional<Mp4Box> FindMp4Box(ByteSource& source, std::string_view path);

// The same from inside `parent` down: "stsd" is a child, "mdia/minf/stbl" a grandchild's child.
std::optional<Mp4Box> FindMp4Box(ByteSource& source, const Mp4Box& parent, std::string_view path);
